// Process services of the Qt platform: command line, pointer, upper-casing, the folder
// listing and the single-instance lock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <set>

#include "platform/linux/files/posix_directory.h"
#include "platform/linux/session/instance_lock.h"
#include "platform/qt/qt_platform.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {
namespace {

Text commandLineOf(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = int(args.size());
    QtPlatform platform(argc, argv.data());
    return platform.commandLine();
}

TEST(CommandLine, IsTheArgumentsJoinedBySingleBlanks) {
    EXPECT_EQ(commandLineOf({"pelandra-saver"}), u"");
    EXPECT_EQ(commandLineOf({"pelandra-saver", "/c"}), u"/c");
    EXPECT_EQ(commandLineOf({"pelandra-saver", "/c:1234"}), u"/c:1234");
    EXPECT_EQ(commandLineOf({"pelandra-saver", "/p", "77"}), u"/p 77");
    EXPECT_EQ(commandLineOf({"/usr/bin/pelandra-saver", " /c", "é"}), u" /c é");
}

TEST(Pointer, IsBlankWhileTheCountIsBelowZero) {
    int argc = 1;
    char name[] = "pelandra-saver";
    char* argv[] = {name, nullptr};
    QtPlatform platform(argc, argv);
    EXPECT_EQ(platform.showCursor(false), -1);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    EXPECT_EQ(platform.showCursor(false), -2);
    EXPECT_EQ(platform.showCursor(true), -1);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(platform.showCursor(true), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(platform.showCursor(true), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(UpperCase, KeepsEveryPosition) {
    int argc = 1;
    char name[] = "pelandra-saver";
    char* argv[] = {name, nullptr};
    QtPlatform platform(argc, argv);
    const std::pair<Text, Text> cases[] = {
        {u"/media/cdrom/pyrnox/57chevy.jpg", u"/MEDIA/CDROM/PYRNOX/57CHEVY.JPG"},
        {u"/fotos/größe/é", u"/FOTOS/GRÖßE/É"},  // ß has no one-unit capital
        {u"a\U0001F600b", u"A\U0001F600B"},      // surrogate pairs stay as they are
        {u"", u""},
    };
    for (const auto& [text, upper] : cases) {
        const Text result = platform.upperCase(text);
        EXPECT_EQ(result, upper);
        EXPECT_EQ(result.size(), text.size());
    }
}

std::set<std::string> listAll(const std::string& folder) {
    std::set<std::string> names;
    auto reader = openPosixDirectory(folder);
    if (!reader) return {"<none>"};
    while (auto name = reader->next()) names.insert(toUtf8(*name));
    return names;
}

TEST(Listing, GivesRegularFilesOnlyAndSkipsHiddenOnes) {
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    for (const char* name : {"57CHEVY.JPG", "cm01.jpg", "Größe.bmp", ".hidden.jpg", "noext"}) {
        QFile file(root + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QDir(root).mkdir("subfolder");
    QDir(root).mkdir(".cache");
    QFile::link(root + "cm01.jpg", root + "link-to-file.jpg");
    QFile::link(root + "subfolder", root + "link-to-folder");
    QFile::link(root + "gone.jpg", root + "dangling.jpg");
    ::mkfifo((root + "pipe").toUtf8().constData(), 0600);

    EXPECT_EQ(listAll(root.toStdString()),
              (std::set<std::string>{"57CHEVY.JPG", "cm01.jpg", "Größe.bmp", "noext",
                                     "link-to-file.jpg"}));
}

TEST(Listing, MissingFolderHasNoListingAndEmptyFolderNoNames) {
    QTemporaryDir dir;
    EXPECT_EQ(openPosixDirectory((dir.path() + "/absent/").toStdString()), nullptr);
    EXPECT_EQ(openPosixDirectory(" "), nullptr);
    EXPECT_EQ(listAll((dir.path() + "/").toStdString()), std::set<std::string>{});
}

TEST(Listing, AnUnreadableFolderIsPermissionDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("locked");
    const QString locked = dir.path() + "/locked/";
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    try {
        openPosixDirectory(locked.toStdString());
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number, 70);
    }
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

using Outcome = InstanceLock::Outcome;

TEST(InstanceLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/pelandra-omnarium.lock").toStdString();
    auto first = std::make_unique<InstanceLock>();
    EXPECT_EQ(first->acquire(path), Outcome::Held);
    InstanceLock second;
    EXPECT_EQ(second.acquire(path), Outcome::Taken);
    first.reset();  // like the first process ending
    EXPECT_EQ(second.acquire(path), Outcome::Held);
}

// What another user could leave in the lock's place: never followed, never opened, and no
// reason to refuse the show.
TEST(InstanceLockTest, TakesItOnlyInAFolderAndFileOfTheUsersOwn) {
    const struct {
        const char* name;
        const char* plant;  // shell commands run in the folder before taking the lock
        Outcome expected;
        bool asRoot = false;  // only root can give a file away
    } cases[] = {
        {"FolderMadeForTheUserAlone", "rmdir locks", Outcome::Held},
        {"SymbolicLinkToAnotherFile", "ln -s ../victim locks/x.lock", Outcome::Unsafe},
        {"DanglingLinkInASharedFolder", "chmod 1777 locks && ln -s ../victim locks/x.lock",
         Outcome::Unsafe},
        {"FolderOthersCanWrite", "chmod 0777 locks", Outcome::Unsafe},
        {"FileOthersCanOpen", "touch locks/x.lock && chmod 0644 locks/x.lock", Outcome::Unsafe},
        {"FolderInPlaceOfTheFile", "mkdir locks/x.lock", Outcome::Unsafe},
        {"FileOfAnotherUser",
         "touch locks/x.lock && chmod 0600 locks/x.lock && chown 65534 locks/x.lock",
         Outcome::Unsafe, true},
    };
    for (const auto& c : cases) {
        if (c.asRoot && ::geteuid() != 0) continue;
        QTemporaryDir dir;
        const std::string plant =
            "cd '" + dir.path().toStdString() + "' && mkdir -m 0700 locks && " + c.plant;
        ASSERT_EQ(std::system(plant.c_str()), 0) << c.name;
        InstanceLock lock;
        EXPECT_EQ(lock.acquire((dir.path() + "/locks/x.lock").toStdString()), c.expected) << c.name;
        EXPECT_FALSE(QFile::exists(dir.path() + "/victim")) << c.name;
        struct stat folder {};
        ::stat((dir.path() + "/locks").toUtf8().constData(), &folder);
        if (c.expected == Outcome::Held) {
            EXPECT_EQ(folder.st_mode & 0777, 0700u) << c.name;
        }
    }
}

TEST(InstanceLockTest, LivesInTheRuntimeFolderOrTheUsersCache) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_RUNTIME_DIR", "/run/user/1000");
    EXPECT_EQ(InstanceLock::defaultPath(), "/run/user/1000/pelandra-omnarium.lock");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", "/srv/cache");
    EXPECT_EQ(InstanceLock::defaultPath(), "/srv/cache/pelandra-omnarium/instance.lock");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(InstanceLock::defaultPath(),
              QDir::homePath().toStdString() + "/.cache/pelandra-omnarium/instance.lock");
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("XDG_CACHE_HOME", cache);
}

}  // namespace
}  // namespace pelandra::qt
