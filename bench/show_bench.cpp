// The running show with big photos, on Qt's offscreen platform: how long each tick holds the
// event thread, how long a key waits while a big progressive photo decodes, the processor
// time per tick against djpeg decoding the same files at the same scale (also on a screen
// scaled by 2, where photos are decoded at twice the size), and the memory against an empty
// Qt window. Makes its own photos (cjpeg) and adds the sample library
// (make-samples). Prints figures; never passes or fails.
//
//   show_bench [MAKE-SAMPLES]   (default: the make-samples next to this build's program)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDevice>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "program/program.h"
#include "show/show_design.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// --- What the processes use ---------------------------------------------------------------

std::vector<int> childrenOf(pid_t pid) {
    std::vector<int> found;
    for (const QString& task : QDir(QStringLiteral("/proc/%1/task").arg(pid))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream list(
            QStringLiteral("/proc/%1/task/%2/children").arg(pid).arg(task).toStdString());
        for (int child = 0; list >> child;) found.push_back(child);
    }
    return found;
}

// Processor seconds (user + system) a live process has used.
double cpuSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::string field;
    for (char c : text.substr(close + 2)) {
        if (c == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (fields.size() < 13) return 0;
    return double(std::stoll(fields[11]) + std::stoll(fields[12])) / double(sysconf(_SC_CLK_TCK));
}

char processState(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

double selfCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long statusMiB(int pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1)) / 1024;
    }
    return 0;
}

// --- The photos ---------------------------------------------------------------------------

// A photo-like picture: smooth light with fine grain, so that it compresses like a photo.
void writePpm(const QString& path, int width, int height, uint32_t seed) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << "P6 " << width << ' ' << height << " 255\n";
    std::vector<unsigned char> row(size_t(width) * 3);
    uint32_t noise = seed | 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int grain = int(noise % 48) - 24;
            const int base[3] = {x * 200 / width + 30, y * 180 / height + 40,
                                 (x + y) * 120 / (width + height) + 60};
            for (int c = 0; c < 3; ++c) {
                row[size_t(x) * 3 + size_t(c)] =
                    (unsigned char)std::clamp(base[c] + grain * (c + 1) / 2, 0, 255);
            }
        }
        out.write(reinterpret_cast<const char*>(row.data()), std::streamsize(row.size()));
    }
}

bool makeJpeg(const QString& folder, const QString& name, int width, int height, bool progressive,
              uint32_t seed) {
    const QString ppm = folder + "/source.ppm";
    writePpm(ppm, width, height, seed);
    QStringList arguments = {"-quality", "92", "-outfile", folder + "/" + name};
    if (progressive) arguments.prepend("-progressive");
    const int status = QProcess::execute("cjpeg", arguments << ppm);
    QFile::remove(ppm);
    return status == 0;
}

struct BigPhoto {
    const char* name;
    int width, height;
    bool progressive;
};
constexpr BigPhoto kBigPhotos[] = {
    {"57BASE18.JPG", 5184, 3456, false},
    {"63PROG18.JPG", 5184, 3456, true},
    {"68BASE24.JPG", 6000, 4000, false},
    {"72PROG24.JPG", 6000, 4000, true},
};

// --- The show, timed ----------------------------------------------------------------------

// Times the core's handling of each event and keeps keys from ending the show.
class TimingSink : public pelandra::EventSink {
  public:
    pelandra::EventSink* inner = nullptr;
    std::vector<double> tickMilliseconds;  // event-thread time from a tick to its caption
    std::vector<double> keyMilliseconds;   // a posted key until the core handles it
    std::atomic<int64_t> keyPostedAt{0};   // Clock ticks; 0: none waiting
    std::atomic<bool> inTick{false};
    bool captionSet = false;

    void handle(std::string_view form, std::string_view control,
                pelandra::EventKind kind) override {
        const auto start = Clock::now();
        if (kind == pelandra::EventKind::KeyDown) {
            const int64_t posted = keyPostedAt.exchange(0);
            if (posted != 0) {
                keyMilliseconds.push_back(
                    millisecondsBetween(Clock::time_point(Clock::duration(posted)), start));
            }
            return;
        }
        // A tick and the picture it waits for (the only other events in this run).
        const bool timed = kind != pelandra::EventKind::MouseDown &&
                           kind != pelandra::EventKind::MouseMove &&
                           kind != pelandra::EventKind::Click;
        if (timed) inTick = true;
        inner->handle(form, control, kind);
        inTick = false;
        if (!timed) return;
        pending_ += millisecondsBetween(start, Clock::now());
        if (captionSet) {
            tickMilliseconds.push_back(pending_);
            pending_ = 0;
            captionSet = false;
        }
    }

  private:
    double pending_ = 0;
};

class TimedPlatform : public pelandra::qt::QtPlatform {
  public:
    using QtPlatform::QtPlatform;
    TimingSink timing;

    void createForm(const pelandra::FormDesign& design, pelandra::EventSink& sink) override {
        timing.inner = &sink;
        QtPlatform::createForm(design, timing);
    }
    void setCaption(std::string_view form, std::string_view control,
                    pelandra::TextView caption) override {
        if (control == pelandra::show::kCaption) timing.captionSet = true;
        QtPlatform::setCaption(form, control, caption);
    }
};

void printFigure(const char* key, double value) {
    std::printf("%s %.3f\n", key, value);
    std::fflush(stdout);
}

std::pair<double, double> medianAndWorst(std::vector<double> values) {
    if (values.empty()) return {0, 0};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

// One show over `folder` for `ticks` finished ticks; with `keys`, a key is posted while
// each of that many big decodes runs. Prints "key value" lines for the parent.
int runShow(int argc, char** argv, const QString& folder, int ticks, int keys) {
    QTemporaryDir home;
    const QString ini = home.filePath("screensaver.ini");
    {
        QFile file(ini);
        file.open(QIODevice::WriteOnly);
        file.write(
            QStringLiteral("[Settings]\nInterval=1\nPelandrasDir=%1/\n").arg(folder).toUtf8());
    }
    TimedPlatform platform(argc, argv);
    platform.setSettingsFile(ini);
    platform.setLockFile(home.filePath("lock").toStdString());
    pelandra::Program program(platform);
    program.main();
    const double cpuBefore = selfCpuSeconds();  // from the first tick on

    QInputDevice::primaryKeyboard();  // made here, not by the first key of another thread
    std::atomic<bool> stop{false};
    std::thread poster;
    if (keys > 0) {
        poster = std::thread([&] {
            std::mt19937 random(7);
            int posted = 0;
            while (!stop && posted < keys) {
                // A decode runs on the event thread inside a tick, or in a decoder process.
                bool decoding = platform.timing.inTick.load();
                for (int child : childrenOf(getpid())) decoding |= processState(child) == 'R';
                if (!decoding || platform.timing.keyPostedAt != 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    continue;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 60));
                QWidget* window = platform.window(pelandra::show::kForm);
                platform.timing.keyPostedAt = Clock::now().time_since_epoch().count();
                QCoreApplication::postEvent(
                    window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier));
                ++posted;
                std::this_thread::sleep_for(std::chrono::milliseconds(300 + random() % 400));
            }
        });
    }
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const bool keysDone = keys == 0 || int(platform.timing.keyMilliseconds.size()) >= keys;
        if (int(platform.timing.tickMilliseconds.size()) >= ticks && keysDone) {
            QCoreApplication::quit();
        }
    });
    watch.start(20);
    QApplication::exec();
    stop = true;
    if (poster.joinable()) poster.join();

    double cpu = selfCpuSeconds() - cpuBefore, decoderCpu = 0;
    long decoderRss = 0, decoderPeak = 0;
    for (int child : childrenOf(getpid())) {
        decoderCpu += cpuSeconds(child);
        decoderRss += statusMiB(child, "VmRSS");
        decoderPeak += statusMiB(child, "VmHWM");
    }
    const auto [tickMedian, tickWorst] = medianAndWorst(platform.timing.tickMilliseconds);
    printFigure("ticks", double(platform.timing.tickMilliseconds.size()));
    printFigure("tick_median_ms", tickMedian);
    printFigure("tick_worst_ms", tickWorst);
    const auto& ticksTaken = platform.timing.tickMilliseconds;
    printFigure("tick_worst_index", double(std::max_element(ticksTaken.begin(), ticksTaken.end()) -
                                           ticksTaken.begin() + 1));
    printFigure("cpu_s", cpu + decoderCpu);
    printFigure("decoder_cpu_s", decoderCpu);
    printFigure("rss_mib", double(statusMiB(getpid(), "VmRSS")));
    printFigure("peak_mib", double(statusMiB(getpid(), "VmHWM")));
    printFigure("decoder_rss_mib", double(decoderRss));
    printFigure("decoder_peak_mib", double(decoderPeak));
    if (keys > 0) {
        const auto [keyMedian, keyWorst] = medianAndWorst(platform.timing.keyMilliseconds);
        printFigure("keys", double(platform.timing.keyMilliseconds.size()));
        printFigure("key_median_ms", keyMedian);
        printFigure("key_worst_ms", keyWorst);
    }
    std::fflush(stdout);
    std::_Exit(0);  // as the show ends: no teardown
}

int runEmptyWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 600);
    window.show();
    QTimer::singleShot(500, [] { QCoreApplication::quit(); });
    QApplication::exec();
    printFigure("rss_mib", double(statusMiB(getpid(), "VmRSS")));
    printFigure("peak_mib", double(statusMiB(getpid(), "VmHWM")));
    return 0;
}

// --- The parent: corpus, runs, djpeg, report ----------------------------------------------

// The figures a child run prints; `scale` is its screens' scale factor.
std::map<std::string, double> figuresOf(const QStringList& arguments, int scale = 1) {
    QProcess child;
    if (scale != 1) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        child.setProcessEnvironment(environment);
    }
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    std::map<std::string, double> figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2) figures[parts[0].toStdString()] = parts[1].toDouble();
    }
    return figures;
}

// djpeg's processor time for the file at the smallest M/8 scale that still covers the
// photo frame (777 x 473 pixels, times the screen's `screenScale`), the scale the show's
// decoder picks too.
double djpegCpuSeconds(const QString& path, int width, int height, int screenScale) {
    int m = 1;
    while (m < 8 && (width * m / 8 < 777 * screenScale || height * m / 8 < 473 * screenScale)) {
        m *= 2;
    }
    const std::string scale = std::to_string(m) + "/8";
    const std::string file = path.toStdString();
    const pid_t child = fork();
    if (child == 0) {
        execlp("djpeg", "djpeg", "-scale", scale.c_str(), "-outfile", "/dev/null", file.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The figures of one pass over the big JPEGs, against djpeg's processor time for the same.
void printPass(const std::map<std::string, double>& pass, double djpegCpu, const char* djpeg) {
    std::printf("  event-thread time per tick  median %7.1f ms   worst %7.1f ms (tick %d)\n",
                pass.at("tick_median_ms"), pass.at("tick_worst_ms"),
                int(pass.at("tick_worst_index")));
    std::printf("  processor time for the pass %7.2f s   %s %.2f s   ratio %.2f\n",
                pass.at("cpu_s"), djpeg, djpegCpu, pass.at("cpu_s") / djpegCpu);
    std::printf("  of which the decoder process %6.2f s   ratio %.2f\n", pass.at("decoder_cpu_s"),
                pass.at("decoder_cpu_s") / djpegCpu);
}

int runBench(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString samplesTool = argc > 1
                                    ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + "/../make-samples";
    QTemporaryDir dir;
    // walk: the big photos and the samples; bigs: the big photos; big: the progressive ones.
    const QString walk = dir.filePath("walk/pyrnox"), bigs = dir.filePath("bigs/pyrnox"),
                  big = dir.filePath("big/pyrnox");
    for (const QString& folder : {walk, bigs, big}) QDir().mkpath(folder);
    std::printf("making the photos (4 JPEGs of 18 and 24 megapixels, and the samples)...\n");
    std::fflush(stdout);
    uint32_t seed = 1;
    double djpegCpu = 0, djpegCpuScaled = 0;
    for (const BigPhoto& photo : kBigPhotos) {
        if (!makeJpeg(walk, photo.name, photo.width, photo.height, photo.progressive, ++seed)) {
            std::fprintf(stderr, "show_bench: cjpeg failed (is libjpeg-turbo-progs installed?)\n");
            return 1;
        }
        djpegCpu += djpegCpuSeconds(walk + "/" + photo.name, photo.width, photo.height, 1);
        djpegCpuScaled += djpegCpuSeconds(walk + "/" + photo.name, photo.width, photo.height, 2);
        QFile::copy(walk + "/" + photo.name, bigs + "/" + photo.name);
        if (photo.progressive) QFile::copy(walk + "/" + photo.name, big + "/" + photo.name);
    }
    if (QProcess::execute(samplesTool, {walk}) != 0) {
        std::fprintf(stderr, "show_bench: %s failed\n", qPrintable(samplesTool));
        return 1;
    }
    const int files = int(QDir(walk).entryList(QDir::Files).size());
    const int passTicks = files + 2;  // the first file stays three ticks

    const auto empty = figuresOf({"--empty-window"});
    const auto shown = figuresOf({"--show", walk, QString::number(passTicks), "0"});
    const auto bigPass = figuresOf({"--show", bigs, "6", "0"});
    const auto scaledPass = figuresOf({"--show", bigs, "6", "0"}, 2);
    const auto keyed = figuresOf({"--show", big, "6", "20"});

    std::printf("\none pass over %d files (4 big JPEGs, %d samples), one tick a second\n", files,
                files - 4);
    std::printf("  event-thread time per tick  median %7.1f ms   worst %7.1f ms (tick %d of %d)\n",
                shown.at("tick_median_ms"), shown.at("tick_worst_ms"),
                int(shown.at("tick_worst_index")), int(shown.at("ticks")));
    std::printf("  processor time per tick     %7.1f ms (show and decoder)\n",
                shown.at("cpu_s") / shown.at("ticks") * 1000);
    std::printf("\none pass over the 4 big JPEGs (6 ticks: the first file stays three)\n");
    printPass(bigPass, djpegCpu, "djpeg -scale M/8 of each file once");
    std::printf("\nthe same pass on a screen scaled by 2 (photos decoded at 1554 x 946)\n");
    printPass(scaledPass, djpegCpuScaled, "djpeg -scale M/8 at that size");
    std::printf("\nkey to exit while a big progressive JPEG decodes (%d keys)\n",
                int(keyed.at("keys")));
    std::printf("  median %7.2f ms   worst %7.2f ms\n", keyed.at("key_median_ms"),
                keyed.at("key_worst_ms"));
    std::printf("\nmemory (MiB)             steady    peak\n");
    std::printf("  empty Qt window        %6.0f  %6.0f\n", empty.at("rss_mib"),
                empty.at("peak_mib"));
    std::printf("  show                   %6.0f  %6.0f\n", shown.at("rss_mib"),
                shown.at("peak_mib"));
    std::printf("  its decoder process    %6.0f  %6.0f\n", shown.at("decoder_rss_mib"),
                shown.at("decoder_peak_mib"));
    std::printf("  show, big progressive  %6.0f  %6.0f  (decoder %0.f / %0.f)\n",
                keyed.at("rss_mib"), keyed.at("peak_mib"), keyed.at("decoder_rss_mib"),
                keyed.at("decoder_peak_mib"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("PELANDRA_PICTURE_DECODER")) {
        qputenv("PELANDRA_PICTURE_DECODER", PELANDRA_PICTURE_DECODER);  // this build's
    }
    if (argc == 2 && std::string(argv[1]) == "--empty-window") {
        int one = 1;
        return runEmptyWindow(one, argv);
    }
    if (argc == 5 && std::string(argv[1]) == "--show") {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const int ticks = std::atoi(argv[3]), keys = std::atoi(argv[4]);
        int one = 1;
        return runShow(one, argv, folder, ticks, keys);
    }
    return runBench(argc, argv);
}
