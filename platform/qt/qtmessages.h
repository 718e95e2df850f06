#pragma once

// Qt warns on every start that XDG_RUNTIME_DIR is not set when a program runs
// as root (or from a session without one), then uses a directory of its own
// all the same; that line says nothing a user can act on. Installs a message
// handler that drops it and hands every other message to Qt's own.
void QuietRuntimeDirWarning();

// True when a Qt program can show windows here: a platform was asked for
// (QT_QPA_PLATFORM or -platform among the arguments), or DISPLAY or
// WAYLAND_DISPLAY is set.
bool HasDisplay(int argc, char** argv);
