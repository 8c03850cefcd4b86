#pragma once

#include <QProcessEnvironment>

// The environment Tempivo was started with. Variables Tempivo sets for Qt's sake stay out of
// what the programs and the opener it starts receive.
namespace StartEnvironment {

// Takes note of the process environment as it is now: first thing in main().
void remember();
// The environment noted by remember() (the current one when nothing was noted), less the
// start-up notification tokens: those were handed to Tempivo's own start, and Qt used them up.
QProcessEnvironment get();

} // namespace StartEnvironment
