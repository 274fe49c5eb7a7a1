#pragma once
// Where the program keeps its temporary files, how it makes them without
// ever writing through a name someone else planted, and how they go again
// whatever ends the program.

#include <QString>

namespace brevanta::frame {

// The folder for temporary files: TEMP when it names a folder this user may
// write in; otherwise (TEMP unset, empty, no folder, not writable) the
// user's private folder, never the shared one. Throws Failure when no such
// folder can be had.
QString temporaryFolder();

// "brevanta-<user id>" in the system's temporary folder, made with mode 0700
// and checked to be a real folder of this user and no one else's; when that
// name is taken by something else, a fresh private folder beside it.
QString privateTemporaryFolder();

// Makes `path` a new empty file readable by this user only, exclusively and
// without following a link. False when something of that name exists;
// throws Failure ("Cannot create <path>: <reason>") for anything else.
bool createFileExclusively(const QString& path);

// The temporary files of this run. Those still remembered are deleted when
// the program ends: on a normal end, on std::exit, and on SIGTERM, SIGINT
// and SIGHUP (only SIGKILL and a power cut can leave them behind).
void rememberTemporaryFile(const QString& path);
void forgetTemporaryFile(const QString& path);
// Whether `path` is one of the remembered temporary files.
bool isTemporaryFile(const QString& path);
// Deletes every remembered file now and forgets it.
void deleteTemporaryFiles();

}  // namespace brevanta::frame
