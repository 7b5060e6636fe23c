#pragma once

#include "core/PathStyle.h"
#include "intake/FileSystem.h"
#include "intake/PathRoutines.h"

#include <QString>
#include <QStringList>

#include <functional>

class ErrorReporter;
class PictureListModel;

// The file-system side of picture intake: the recursive folder scan, the wildcard file
// listing, the small tests both rely on, and the step that appends a scanned tree's files
// to the picture list. Nothing here knows the main window, so a program without one can
// run the same scan.

// What one scan needs from outside: the disk, the error report for its own failures, and a
// way to let the event loop run between folders so that the window stays responsive.
struct ScanContext {
    FileSystem& fileSystem;
    ErrorReporter& reporter;
    std::function<void()> yield;
    PathStyle style = kNativePathStyle;
    // Told of each file or folder the scan passes over although it matched: one that
    // cannot be opened (a broken link, a fifo, no permission) or whose path is too long.
    // The window does not listen; a program that sums up what it did does.
    std::function<void(const QString& path, const QString& why)> skipped = {};
};

// Folder paths, each ending in a separator, in the scan's level order.
using FolderList = QStringList;

// Runs one numbered step of a caller that traps its failures step by step; without one a
// failure reaches the caller.
using StepRunner = std::function<void(int line, const std::function<void()>& step)>;

inline constexpr char kScanLocation[] = "in Corbelmark2021/08/31.AddFolder.GetSubDirectories2016 ";

// Names and folder paths must stay below this many characters.
inline constexpr int kPathLimit = 260;
// Hidden + system + directory, and the same with a reparse point: folders the scan leaves
// out with everything below them, unless they are a root.
inline constexpr int kSkippedFolderAttributes = 22;
inline constexpr int kSkippedLinkedFolderAttributes = 1046;
// Archive + hidden and nothing else: files that are never added.
inline constexpr int kSkippedFileAttributes = 34;

// True when the path's attribute word has the directory bit; false also when it cannot be read.
bool IsFolder(FileSystem& fileSystem, const QString& path);

// True when a folder name holds a character the scan refuses: a control character, one from
// 127 to 159, a "?", or broken UTF-16. A byte of the disk's name that is not UTF-8, carried
// as an escape (core/FileNames.h), is no character and passes.
bool HasUnsafeChars(const QString& name);

// True when the path is an existing file that can be opened; never fails.
bool FileIsPresent(FileSystem& fileSystem, const QString& path);

// A root always passes; any other folder passes unless it is a hidden system folder.
bool passesFolderTest(const FileSystem::FolderInfo& folder);

// The names of the files directly in `folder` that match the wildcard pattern and can be
// opened, hidden and system files included, in enumeration order; empty when none qualifies.
// A folder that does not exist has no files; other failures reach the caller.
QStringList ListFiles(FileSystem& fileSystem, QString folder, const QString& pattern,
                      PathStyle style = kNativePathStyle);

// Appends to `folders`, in level order, every qualifying folder below its entries (with
// `recurse` false only their direct subfolders). An entry whose subfolders cannot be listed
// for lack of access or because it vanished is removed; other failures are reported with
// the scan's own location and the scan goes on.
void GetSubDirectories2016(FolderList& folders, bool recurse, const ScanContext& context);

// For each folder in order, appends the files matching the pattern to the end of the list,
// each path tidied by NormalizePath, except names beginning with "~" and files whose
// attribute word is exactly 34.
void AddScannedFiles(const FolderList& folders, const QString& pattern, PictureListModel& list,
                     const ScanContext& context, const StepRunner& runStep = {});
