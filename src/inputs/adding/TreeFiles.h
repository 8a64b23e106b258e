#pragma once

#include "FolderListing.h"
#include "FolderWalk.h"
#include "InputListTarget.h"

namespace Quillfen {

// The attribute value of a hidden file that the folder fillers leave out.
constexpr int HiddenArchiveFile = 34;

// True when the file at path, whose name is name, has the attribute value
// 34 (a hidden, writable, regular file that is not a link). Only names
// starting with "." can have it, so other names cost nothing. Throws
// Failure when the attributes cannot be read.
bool hasHiddenArchiveValue(const QString &path, QStringView name);

// Appends every file below folder whose name matches pattern, folder by
// folder in walk order: names starting with "~" and files with the value
// 34 are left out, each path goes through collapseSlashes.
void addFolderTree(const QString &folder, const WildcardPattern &pattern, InputListTarget &target,
                   FolderWalk &walk);

// A drop, or the paths of quillfen-cli: in the given order, a folder adds
// its tree (the files matching any of patterns, every file for a drop);
// anything else is appended unchanged.
void addPathsInOrder(const QStringList &paths, InputListTarget &target, FolderWalk &walk,
                     const QStringList &patterns = {QStringLiteral("*.*")});

} // namespace Quillfen
