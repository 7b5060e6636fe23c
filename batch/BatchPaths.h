#pragma once

#include "batch/BatchOptions.h"

#include <QString>

class FileSystem;

// Makes every PATH and OUT absolute against the folder `cwd`, as the caller named them: no
// symbolic link is resolved; "." parts and doubled separators are dropped.
void resolvePaths(BatchOptions& options, const QString& cwd);

// The folder the command was started in, as the user's shell names it (PWD) when that is the
// same folder, so that the paths it shows are the user's own.
QString callerWorkingFolder();

// Checks what can be checked before anything starts: the output folder exists and can be
// written, OUT is no folder, and OUT is none of the named files. A PATH that does not exist
// is no problem here: it becomes a picture that fails. Returns the message for the first
// problem, or "".
QString checkBatchInputs(const BatchOptions& options, FileSystem& disk);

// The file that writing OUT writes: OUT itself, or, when OUT is a symbolic link, the file at
// the end of its chain of links (each relative target taken from its link's folder), which
// need not exist yet. Returns "" when the chain has no end (ELOOP) or a link cannot be read.
QString outputTarget(const QString& outPath);

// True when the two paths name the same file on the disk (the same device and inode), or,
// when either does not exist, are the same text.
bool sameFile(const QString& a, const QString& b);
