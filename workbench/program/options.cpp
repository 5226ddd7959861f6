// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/program/options.h"

#include "workbench/shared/version.h"
#include "workbench/videosignal/figures_text.h"
#include "workbench/videosignal/video_csv.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

// Qt's own command-line options and whether each takes a value. The application object reads
// them from argv; the parser must not refuse them.
const QMap<QString, bool> kQtOptions = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"display", true},         {"geometry", true},
    {"qwindowgeometry", true}, {"title", true},
    {"style", true},           {"stylesheet", true},
    {"session", true},         {"reverse", false},
    {"widgetcount", false},    {"nograb", false},
    {"dograb", false},         {"sync", false},
};

// The arguments without Qt's own options (given with one dash or two).
QStringList withoutQtOptions(const QStringList &arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        QString name = a;
        while (name.startsWith('-'))
            name.remove(0, 1);
        if (i == 0 || !a.startsWith('-') || name.contains('=') || !kQtOptions.contains(name)) {
            kept << a;
            continue;
        }
        if (kQtOptions.value(name))
            ++i;
    }
    return kept;
}

bool addPort(const QString &value, Options &options, QString &error) {
    static const QRegularExpression form(QStringLiteral("^(\\d+)=(.+)$"));
    const QRegularExpressionMatch m = form.match(value);
    const int number = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (number < 1) {
        error = QStringLiteral("--port wants N=DEVICE with N a port number from 1, "
                               "e.g. --port 1=/dev/ttyUSB0; got \"%1\"")
                    .arg(value);
        return false;
    }
    options.ports[number] = m.captured(2);
    return true;
}

ParseResult failure(const QString &text) {
    ParseResult r;
    r.proceed = false;
    r.exitCode = 2;
    r.text = text + "\nTry --help.\n";
    r.toStandardError = true;
    return r;
}

ParseResult analysed(const QString &path) {
    ParseResult r;
    r.proceed = false;
    QString error;
    if (const std::optional<VideoSnapshot> signal = ReadVideoCsv(path, &error)) {
        r.text = FiguresText(AnalyseSignal(*signal));
        return r;
    }
    r.exitCode = 1;
    r.text = QStringLiteral("rmox-sensor-tool: %1\n").arg(error);
    r.toStandardError = true;
    return r;
}

} // namespace

ParseResult ParseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Service and monitoring tool for R-MOX-QF CCD line sensors: read, edit "
                       "and write the sensor's parameter set, watch live values and the video "
                       "signal, order teach operations.\n\nStarted without options it opens "
                       "port 1, checks the line and reads the sensor's RAM parameter set."));
    const QCommandLineOption help({"h", "help"}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({"V", "version"},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption port(
        "port",
        QStringLiteral("Open DEVICE for port N (repeatable), as the environment variable "
                       "RMOX_COM<N> does, e.g. --port 1=/dev/ttyUSB0 or --port 1=/tmp/sensor "
                       "for the simulated sensor."),
        QStringLiteral("N=DEVICE"));
    const QCommandLineOption record(
        "record",
        QStringLiteral("Record every live frame of Run and Data to FILE (CSV), starting with "
                       "the first one."),
        QStringLiteral("FILE"));
    const QCommandLineOption log(
        "log",
        QStringLiteral(
            "Write the communication log to FILE as the tool runs, from start-up on "
            "(a session file: every byte both ways with its times, port events and status "
            "texts, one row a line, written out twice a second)."),
        QStringLiteral("FILE"));
    const QCommandLineOption report(
        "report",
        QStringLiteral("Write the service report to FILE (PDF) when the tool ends, for "
                       "unattended runs with --log and --record."),
        QStringLiteral("FILE"));
    const QCommandLineOption analyseVideo(
        "analyse-video",
        QStringLiteral("Print the figures, threshold crossings and suggested threshold of the "
                       "video signal saved in FILE (CSV, as File > Save video signal writes it) "
                       "and exit: 0, or 1 when the file cannot be read. Opens no window and no "
                       "port."),
        QStringLiteral("FILE"));
    const QCommandLineOption find(
        "find",
        QStringLiteral("Look for a sensor on every port of the Port ring (with --port given "
                       "first), print what each one did and exit: 0 when a sensor answered, 1 "
                       "when none did, 2 on bad use. Opens no panel."));
    const QCommandLineOption historyDb(
        "history-db",
        QStringLiteral("Keep the service history in LOCATION: a SQLite file, or a team's shared "
                       "PostgreSQL database as postgresql://user@host/database (default: "
                       "history.sqlite in the user's data folder, or the shared history set in "
                       "View > Service history)."),
        QStringLiteral("LOCATION"));
    parser.addOptions({help, version, port, record, log, report, analyseVideo, find, historyDb});
    if (!parser.parse(withoutQtOptions(arguments)))
        return failure(parser.errorText());
    ParseResult r;
    if (parser.isSet(help) || parser.isSet(version)) {
        r.proceed = false;
        // Without an application object Qt cannot name the program in the usage line.
        r.text = parser.isSet(help) ? parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                                QStringLiteral("rmox-sensor-tool"))
                                    : VersionLine() + '\n';
        return r;
    }
    if (parser.isSet(analyseVideo))
        return analysed(parser.value(analyseVideo));
    if (!parser.positionalArguments().isEmpty())
        return failure(
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments()[0]));
    r.options.find = parser.isSet(find);
    if (r.options.find && (parser.isSet(record) || parser.isSet(log) || parser.isSet(report)))
        return failure(QStringLiteral("--find opens no port of its own: it takes --port only"));
    r.options.recordPath = parser.value(record);
    r.options.logPath = parser.value(log);
    r.options.reportPath = parser.value(report);
    r.options.historyDb = parser.value(historyDb);
    QString error;
    for (const QString &value : parser.values(port))
        if (!addPort(value, r.options, error))
            return failure(error);
    return r;
}
