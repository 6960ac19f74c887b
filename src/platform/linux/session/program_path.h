// The program file the watcher starts the show from. A package upgrade replaces that file
// under the running watcher (renamed over, or deleted and written anew): /proc/self/exe
// then names the old, deleted program, while the path the watcher was started by names
// the one installed now.
#pragma once

#include <QString>

namespace pelandra::qt {

class ProgramPath {
  public:
    // `invokedAs`: argv[0]. A path is taken from the working folder of now; a bare name is
    // looked up in PATH at each start, as the shell found it.
    explicit ProgramPath(const QString& invokedAs);

    // The program as installed now; the file this process runs when nothing else is found.
    QString now() const;

  private:
    QString invoked_;  // absolute, or a bare name
    QString running_;
};

}  // namespace pelandra::qt
