// The program folder, program starts, the desktop's open action and the end of the program.
#pragma once

#include <functional>

#include <QString>

namespace vtx::Desktop {

/// The executable's folder; a test points it at a temporary one.
QString programFolder();
void setProgramFolder(const QString& folder);
/// A file in the program folder.
QString programFile(const QString& name);

/// Starts a program without waiting for it; false when it could not start.
bool startProgram(const QString& path);
/// Opens a file or a web address with the desktop's open action.
bool openDocument(const QString& pathOrUrl);

/// Opens a finished file with the desktop's open action; when the desktop cannot open it
/// (no opener, or none for its type, said as soon as the opener ends), says so with the
/// file's full path, so that the user can find it.
void openFile(const QString& path);
/// Opens a web page the same way; when the desktop cannot, says so with the page's address, so
/// that the user can type it elsewhere.
void openPage(const QString& url);

/// Ends the program at once; nothing is saved.
void endProgram();
/// True once endProgram ran (tests, where the end is only recorded).
bool programEnded();

/// Replaces the three actions above (tests record them instead).
struct Hooks {
    std::function<bool(const QString&)> startProgram;
    std::function<bool(const QString&)> openDocument;
    std::function<void()> endProgram;
};
void setHooks(const Hooks& hooks);
void resetHooks();

} // namespace vtx::Desktop
