// SPDX-License-Identifier: GPL-3.0-or-later
// bench_report: runs the benchmarks built next to it and prints one table.
//
// Start-up is timed from the moment this program spawns a child to the moment the child's line
// saying its first frame is complete arrives. The program's start-up, the bare baseline window and
// that window with one line of text take turns, so that all three meet the same state of a shared
// machine. CPU time and peak resident memory come from each child's rusage (wait4). They run on the
// offscreen platform and, when Xvfb is installed, on xcb against a private Xvfb display. The event
// path and the model come from Google Benchmark's JSON, as medians over repetitions.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

constexpr int WarmUpRounds = 2;
constexpr int StartupRounds = 20;
constexpr int Repetitions = 9;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

void fail(const QString &message)
{
    QTextStream(stderr) << "bench_report: " << message << Qt::endl;
}

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One launch of a start-up benchmark, in milliseconds and MiB.
struct Launch {
    double toFrame; // spawn to the frame-complete line, measured here
    double toMain; // spawn to main() entered
    double application; // QApplication constructed
    double window; // window built and shown
    double firstPaint; // event loop until the frame is complete
    double cpu; // user and system time of the whole process up to the frame
    double peakRss;
};

// The environment of this process with the platform (and display) replaced.
std::vector<std::string> childEnvironment(const QString &platform, const QString &display)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry) {
        const std::string variable(*entry);
        if (variable.rfind("QT_QPA_PLATFORM=", 0) != 0 && variable.rfind("DISPLAY=", 0) != 0)
            environment.push_back(variable);
    }
    environment.push_back("QT_QPA_PLATFORM=" + platform.toStdString());
    if (!display.isEmpty())
        environment.push_back("DISPLAY=" + display.toStdString());
    return environment;
}

std::optional<Launch> launch(const std::string &program, const std::vector<std::string> &environment)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        fail(QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv{const_cast<char *>(program.c_str()), nullptr};
    std::vector<char *> envp;
    for (const std::string &variable : environment)
        envp.push_back(const_cast<char *>(variable.c_str()));
    envp.push_back(nullptr);

    pid_t pid = 0;
    const std::int64_t spawned = now();
    const int spawnError = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawnError != 0) {
        close(pipeEnds[0]);
        fail(QStringLiteral("cannot start %1: %2")
                 .arg(QString::fromStdString(program), QString::fromLocal8Bit(std::strerror(spawnError))));
        return std::nullopt;
    }

    std::string line;
    std::int64_t arrived = 0;
    pollfd readable{pipeEnds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos) {
        if (poll(&readable, 1, 30'000) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        char chunk[256];
        const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
        if (got <= 0)
            break;
        line.append(chunk, static_cast<std::size_t>(got));
        arrived = now();
    }
    close(pipeEnds[0]);

    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    long long mainEntered = 0, applicationReady = 0, windowShown = 0, frameComplete = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0
        || std::sscanf(line.c_str(), "painted %lld %lld %lld %lld", &mainEntered, &applicationReady,
                       &windowShown, &frameComplete)
            != 4) {
        fail(QStringLiteral("%1 did not report a first frame (exit status %2); run it by hand to see why")
                 .arg(QString::fromStdString(program))
                 .arg(status));
        return std::nullopt;
    }
    const auto ms = [](long long from, long long to) { return static_cast<double>(to - from) / 1e6; };
    const auto seconds = [](const timeval &time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return Launch{ms(spawned, arrived),
                  ms(spawned, mainEntered),
                  ms(mainEntered, applicationReady),
                  ms(applicationReady, windowShown),
                  ms(windowShown, frameComplete),
                  seconds(usage.ru_utime) * 1e3 + seconds(usage.ru_stime) * 1e3,
                  static_cast<double>(usage.ru_maxrss) / 1024.0};
}

struct StartupMedians {
    Launch program;
    Launch bare;
    Launch text; // the bare window with one line of text, for reference
};

Launch medianOf(const std::vector<Launch> &launches)
{
    const auto field = [&](double Launch::*member) {
        std::vector<double> values;
        for (const Launch &launch : launches)
            values.push_back(launch.*member);
        return median(values);
    };
    return {field(&Launch::toFrame), field(&Launch::toMain),     field(&Launch::application),
            field(&Launch::window),  field(&Launch::firstPaint), field(&Launch::cpu),
            field(&Launch::peakRss)};
}

// The three programs take turns, each round starting one place further on, so that none of them is
// always the first after a pause or always the one after the heaviest.
std::optional<StartupMedians> measureStartup(const QString &directory, const QString &platform,
                                             const QString &display)
{
    const std::array<std::string, 3> programs{
        (directory + QStringLiteral("/bench_startup_varnelo")).toStdString(),
        (directory + QStringLiteral("/bench_startup_bare")).toStdString(),
        (directory + QStringLiteral("/bench_startup_text")).toStdString()};
    const auto environment = childEnvironment(platform, display);
    std::array<std::vector<Launch>, 3> launches;
    for (int round = 0; round < WarmUpRounds + StartupRounds; ++round) {
        for (std::size_t turn = 0; turn < programs.size(); ++turn) {
            const std::size_t which = (static_cast<std::size_t>(round) + turn) % programs.size();
            const std::optional<Launch> result = launch(programs[which], environment);
            if (!result)
                return std::nullopt;
            if (round >= WarmUpRounds)
                launches[which].push_back(*result);
        }
    }
    return StartupMedians{medianOf(launches[0]), medianOf(launches[1]), medianOf(launches[2])};
}

// A private X server for the xcb runs, on a display number it picks itself.
class VirtualDisplay
{
public:
    // Empty when the server is up; otherwise why the xcb runs are left out.
    QString start()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return QStringLiteral("Xvfb is not installed");
        m_process.setProgram(xvfb);
        m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        m_process.setStandardErrorFile(QProcess::nullDevice());
        // The server goes with this program, however it ends (Ctrl+C, a closed pipe).
        m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.start();
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10'000))
                return QStringLiteral("Xvfb did not start");
        }
        m_name = QLatin1Char(':') + QString::fromLatin1(m_process.readLine().trimmed());
        return QString();
    }

    ~VirtualDisplay()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished();
        }
    }

    QString name() const { return m_name; }

private:
    QProcess m_process;
    QString m_name;
};

// Medians from one Google Benchmark executable, by benchmark name, in microseconds; a benchmark that
// reported an error appears with a negative value and its message in `errors`.
std::optional<std::map<QString, double>> runBenchmark(const QString &program, const QStringList &arguments,
                                                      const QString &platform, QStringList &errors)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(environment);
    process.start(program,
                  arguments
                      + QStringList{QStringLiteral("--benchmark_format=json"),
                                    QStringLiteral("--benchmark_repetitions=%1").arg(Repetitions),
                                    QStringLiteral("--benchmark_report_aggregates_only=true")});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        fail(QStringLiteral("%1 failed:\n%2")
                 .arg(program, QString::fromLocal8Bit(process.readAllStandardError())));
        return std::nullopt;
    }
    const QJsonArray benchmarks = QJsonDocument::fromJson(process.readAllStandardOutput())
                                      .object()
                                      .value(QLatin1StringView("benchmarks"))
                                      .toArray();
    std::map<QString, double> medians;
    for (const QJsonValue &value : benchmarks) {
        const QJsonObject result = value.toObject();
        // "scroll step, with repaint/iterations:5000/manual_time" is reported as its first part.
        const QString name = result.value(QLatin1StringView("run_name")).toString().section(u'/', 0, 0);
        if (result.value(QLatin1StringView("error_occurred")).toBool()) {
            errors << name + QStringLiteral(": ")
                    + result.value(QLatin1StringView("error_message")).toString();
            medians[name] = -1;
            continue;
        }
        if (result.value(QLatin1StringView("aggregate_name")).toString() != QLatin1StringView("median")
            || medians.count(name) != 0)
            continue; // an error in any repetition outweighs the median of the others
        const QString unit = result.value(QLatin1StringView("time_unit")).toString();
        const double scale = unit == QLatin1StringView("ns") ? 1e-3
            : unit == QLatin1StringView("ms")                ? 1e3
            : unit == QLatin1StringView("s")                 ? 1e6
                                                             : 1.0;
        medians[name] = result.value(QLatin1StringView("real_time")).toDouble() * scale;
        // A counter, already in microseconds, under "<name>/<counter>".
        const QJsonValue cpu = result.value(QLatin1StringView("cpu_us"));
        if (cpu.isDouble())
            medians[name + QStringLiteral("/cpu_us")] = cpu.toDouble();
    }
    return medians;
}

QString cpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0)
            return QString::fromStdString(line.substr(line.find(':') + 2));
    }
    return QStringLiteral("unknown CPU");
}

QString loadAverage()
{
    std::ifstream loadavg("/proc/loadavg");
    std::string one;
    loadavg >> one;
    return QString::fromStdString(one);
}

class Table
{
public:
    void row(const QStringList &cells) { m_rows << cells; }
    void rule() { m_rows << QStringList(); }

    void print() const
    {
        QList<qsizetype> widths;
        for (const QStringList &cells : m_rows) {
            for (qsizetype i = 0; i < cells.size(); ++i) {
                if (widths.size() <= i)
                    widths << 0;
                widths[i] = std::max(widths[i], cells[i].size());
            }
        }
        qsizetype total = 0;
        for (const qsizetype width : widths)
            total += width + 2;
        for (const QStringList &cells : m_rows) {
            if (cells.isEmpty()) {
                out() << QString(total, u'-') << '\n';
                continue;
            }
            QString line;
            for (qsizetype i = 0; i < cells.size(); ++i) {
                // The first column reads left to right, the figures line up on the right.
                line += i == 0 ? cells[i].leftJustified(widths[i]) : cells[i].rightJustified(widths[i]);
                line += QStringLiteral("  ");
            }
            while (line.endsWith(u' '))
                line.chop(1);
            out() << line << '\n';
        }
        out().flush();
    }

private:
    QList<QStringList> m_rows;
};

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("NOT MET");
}

void addStartupRows(Table &table, const QString &where, const StartupMedians &medians)
{
    const double frameRatio = medians.program.toFrame / medians.bare.toFrame;
    const double memoryRatio = medians.program.peakRss / medians.bare.peakRss;
    table.row({QStringLiteral("start-up to first frame, ") + where,
               number(medians.program.toFrame, 1) + QStringLiteral(" ms"),
               number(medians.bare.toFrame, 1) + QStringLiteral(" ms"),
               number(frameRatio, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.25 x"),
               verdict(frameRatio <= 1.25)});
    const auto part = [&](const char *name, double Launch::*member) {
        table.row({QStringLiteral("    ") + QLatin1StringView(name), number(medians.program.*member, 1),
                   number(medians.bare.*member, 1)});
    };
    part("spawn to main()", &Launch::toMain);
    part("QApplication", &Launch::application);
    part("window built and shown", &Launch::window);
    part("event loop to frame complete", &Launch::firstPaint);
    table.row({QStringLiteral("    bare window with one line of text"),
               number(medians.text.toFrame, 1) + QStringLiteral(" ms"),
               number(medians.bare.toFrame, 1) + QStringLiteral(" ms"),
               number(medians.text.toFrame / medians.bare.toFrame, 2) + QStringLiteral(" x")});
    table.row({QStringLiteral("CPU time to first frame, ") + where,
               number(medians.program.cpu, 1) + QStringLiteral(" ms"),
               number(medians.bare.cpu, 1) + QStringLiteral(" ms"),
               number(medians.program.cpu / medians.bare.cpu, 2) + QStringLiteral(" x")});
    table.row({QStringLiteral("peak resident memory, ") + where,
               number(medians.program.peakRss, 1) + QStringLiteral(" MiB"),
               number(medians.bare.peakRss, 1) + QStringLiteral(" MiB"),
               number(memoryRatio, 2) + QStringLiteral(" x"), QStringLiteral("<= 1.20 x"),
               verdict(memoryRatio <= 1.2)});
    table.row({QStringLiteral("    bare window with one line of text"),
               number(medians.text.peakRss, 1) + QStringLiteral(" MiB"),
               number(medians.bare.peakRss, 1) + QStringLiteral(" MiB"),
               number(medians.text.peakRss / medians.bare.peakRss, 2) + QStringLiteral(" x")});
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QString directory = QCoreApplication::applicationDirPath();
    bool complete = true;

    // Other work on a shared machine disturbs the figures less at a raised priority, where that is
    // allowed; the children inherit it. The table says which priority it ran at.
    setpriority(PRIO_PROCESS, 0, -10);
    const int niceness = getpriority(PRIO_PROCESS, 0);

    out() << "Varnelo benchmarks (release build) on " << cpuModel() << ", "
          << std::thread::hardware_concurrency() << " logical CPUs, Qt " << qVersion() << ", nice "
          << niceness << ", load average " << loadAverage() << " at start" << Qt::endl;

    out() << "start-up, offscreen: " << StartupRounds << " launches of each program, taking turns ..."
          << Qt::endl;
    const auto offscreen = measureStartup(directory, QStringLiteral("offscreen"), QString());
    complete = complete && offscreen;

    VirtualDisplay display;
    std::optional<StartupMedians> xcb;
    if (const QString problem = display.start(); problem.isEmpty()) {
        out() << "start-up, xcb on Xvfb " << display.name() << ": " << StartupRounds
              << " launches of each program, taking turns ..." << Qt::endl;
        xcb = measureStartup(directory, QStringLiteral("xcb"), display.name());
        complete = complete && xcb;
    } else {
        out() << "start-up, xcb: skipped, " << problem << Qt::endl;
    }

    QStringList errors;
    out() << "event path, offscreen: " << Repetitions << " x 5000 steps each ..." << Qt::endl;
    const auto events
        = runBenchmark(directory + QStringLiteral("/bench_events"), {}, QStringLiteral("offscreen"), errors);
    out() << "model ..." << Qt::endl;
    const auto model
        = runBenchmark(directory + QStringLiteral("/bench_model"),
                       {QStringLiteral("--benchmark_min_time=0.1")}, QStringLiteral("offscreen"), errors);
    complete = complete && events && model && errors.isEmpty();

    Table table;
    table.row({QStringLiteral("measure (median)"), QStringLiteral("Varnelo"), QStringLiteral("bare window"),
               QStringLiteral("ratio"), QStringLiteral("goal"), QString()});
    table.rule();
    if (offscreen)
        addStartupRows(table, QStringLiteral("offscreen"), *offscreen);
    if (xcb)
        addStartupRows(table, QStringLiteral("xcb on Xvfb"), *xcb);
    table.rule();
    if (events) {
        // Goals are set for the scroll step; the list pick is measured the same way, for comparison.
        // The CPU time is shown where it explains the wall time; around a few microseconds of handlers
        // the clock's own reading, about a microsecond, would swamp it.
        const auto eventRow = [&](const char *name, double goal, bool withCpu) {
            const auto found = events->find(QLatin1StringView(name));
            if (found == events->end() || found->second < 0)
                return;
            QStringList cells{QLatin1StringView(name) + QStringLiteral(", offscreen"),
                              number(found->second, 2) + QStringLiteral(" µs"), QString(), QString()};
            if (goal > 0)
                cells << QStringLiteral("<= %1 µs").arg(goal) << verdict(found->second <= goal);
            table.row(cells);
            const auto cpu = events->find(QLatin1StringView(name) + QStringLiteral("/cpu_us"));
            if (withCpu && cpu != events->end())
                table.row({QStringLiteral("    GUI thread's CPU time"),
                           number(cpu->second, 2) + QStringLiteral(" µs")});
        };
        eventRow("scroll step, with repaint", 100, true);
        eventRow("scroll step, handler chain", 10, false);
        eventRow("list pick, with repaint", 0, true);
        eventRow("list pick, handler chain", 0, false);
    }
    if (model) {
        for (const char *name : {"LevelFromValue", "TemperatureOf", "FractionOf", "ValueForFraction"}) {
            const auto found = model->find(QLatin1StringView(name));
            if (found != model->end() && found->second >= 0)
                table.row({QLatin1StringView(name), number(found->second * 1e3, 1) + QStringLiteral(" ns")});
        }
        const auto sweep = model->find(QStringLiteral("sweep 0..500"));
        if (sweep != model->end() && sweep->second >= 0)
            table.row({QStringLiteral("sweep 0..500 (level, temperature, fraction)"),
                       number(sweep->second, 2) + QStringLiteral(" µs")});
    }
    table.rule();
    out() << Qt::endl;
    table.print();
    out() << "Load average " << loadAverage() << " at the end." << Qt::endl;
    out() << QStringLiteral(
                 "Start-up: from spawning the child to its line saying that the window and every visible\n"
                 "control in it are painted and flushed; the indented parts are as the child saw them.\n"
                 "Medians of %1 launches of each program, taking turns, after %2 warm-up rounds. CPU time\n"
                 "and memory: ru_utime + ru_stime and ru_maxrss of each launch, which ends right after its\n"
                 "first frame. \"Bare window with one line of text\" is a reference: the bare window plus\n"
                 "one label in the program's font.\n"
                 "Event path: %3 repetitions of 5000 steps each. The handler chain excludes the repaint,\n"
                 "which still happens after each step, outside the timed part. The GUI thread's CPU time\n"
                 "leaves out its waits: for other processes, and for the pool threads to which Qt's\n"
                 "raster engine hands fills of 96 rows or more.")
                 .arg(StartupRounds)
                 .arg(WarmUpRounds)
                 .arg(Repetitions)
          << Qt::endl;
    for (const QString &error : errors)
        fail(error);
    return complete ? 0 : 1;
}
