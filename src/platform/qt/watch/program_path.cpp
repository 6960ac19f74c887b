#include "platform/qt/watch/program_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace pelandra::qt {

ProgramPath::ProgramPath(const QString& invokedAs)
    : invoked_(invokedAs.contains(u'/') ? QDir::current().absoluteFilePath(invokedAs) : invokedAs),
      running_(QCoreApplication::applicationFilePath()) {}

QString ProgramPath::now() const {
    if (invoked_.contains(u'/')) return invoked_;
    const QString found = QStandardPaths::findExecutable(invoked_);
    return found.isEmpty() ? running_ : found;
}

}  // namespace pelandra::qt
