#include "platform/linux/session/program_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelandra::qt {

ProgramPath::ProgramPath(const QString& invokedAs)
    : invoked_(invokedAs.contains(u'/') ? QDir::current().absoluteFilePath(invokedAs) : invokedAs),
      running_(QCoreApplication::applicationFilePath()) {
    // An argv[0] that names no program at all (set so by whoever started the watcher).
    if (invoked_.contains(u'/') && !QFileInfo(invoked_).isExecutable()) invoked_ = running_;
}

QString ProgramPath::now() const {
    if (invoked_.contains(u'/')) return invoked_;
    const QString found = QStandardPaths::findExecutable(invoked_);
    return found.isEmpty() ? running_ : found;
}

}  // namespace pelandra::qt
