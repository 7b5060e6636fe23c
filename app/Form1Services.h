#pragma once

#include <QString>

class Clock;
class ErrorReporter;
class FileSystem;
class OfficeBridge;
class RandomSource;
class UiServices;

// What the main window needs from outside: the desktop, the clock and the random draw,
// the file system and the office suite. The program passes the real ones, tests fakes.
struct Form1Services {
    UiServices& ui;
    ErrorReporter& reporter;
    Clock& clock;
    RandomSource& random;
    FileSystem* fileSystem = nullptr;
    OfficeBridge* office = nullptr;
    // The folder that holds the program file, without a trailing separator.
    QString programFolder;
};
