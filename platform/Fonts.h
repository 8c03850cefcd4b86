#pragma once

// Maps the typefaces the layouts name onto fonts a Linux desktop has.
void installFontSubstitutions();
