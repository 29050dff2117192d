#pragma once
// The temporary files that replace a file whole (platform/AtomicFile.h) are
// named ".<name>.tansa2-tmp.<process id>.<number>" beside the file they
// replace: hidden, plainly ours, and telling which process writes them. A
// process that is killed while it saves leaves such a file behind; whoever
// finds one whose process no longer runs removes it.
#include <string>

namespace tansa2::platform {

// A temporary name beside the file-system path `nativePath` that no other
// writer, in this process or another, picks at the same time.
std::string TemporaryFileName(const std::string& nativePath);

// Removes from the folder at the CP932 path `cp932Folder` the temporary
// files whose process no longer runs. A file of a running process stays,
// whichever program or user it is; so does any file of another name, and
// anything that isn't a file. A folder that can't be listed is left alone.
void RemoveStaleTemporaryFiles(const std::string& cp932Folder);

}  // namespace tansa2::platform
