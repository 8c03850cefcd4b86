#pragma once

class WallClock;
class WindowManager;
class MessageBox;
class Shell;
class FileDialog;
class Mixer;
class SoundPlayer;
class UptimeClock;

// The platform services the windows use. Tests fill in stand-ins.
struct Services {
    WallClock* time = nullptr;
    WindowManager* windows = nullptr;
    MessageBox* messages = nullptr;
    Shell* shell = nullptr;
    FileDialog* files = nullptr;
    Mixer* mixer = nullptr;
    SoundPlayer* sound = nullptr;
    UptimeClock* uptime = nullptr;

    // The real services, created on first use and kept for the life of the program.
    static Services system();
};
