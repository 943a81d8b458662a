#include "shell/commandline.h"

#include "base/version.h"

namespace {

bool isHelp(const QString& a) {
    return a == QLatin1String("--help") || a == QLatin1String("-h");
}
bool isVersion(const QString& a) {
    return a == QLatin1String("--version");
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine line;
    bool options = true;
    for (const QString& a : arguments) {
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && isHelp(a)) {
            line.help = true;
        } else if (options && isVersion(a)) {
            line.version = true;
        } else if (options && (a.toUpper() == QLatin1String("/BROWSE") || a == QLatin1String("--browse"))) {
            line.browse = true;
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            if (line.error.isEmpty()) line.error = QStringLiteral("unknown option \"%1\"").arg(a);
        } else if (!line.file.isEmpty()) {
            if (line.error.isEmpty())
                line.error = QStringLiteral("only one catalogue can be opened at a time (\"%1\" and \"%2\")")
                                 .arg(line.file, a);
        } else if (a.isEmpty()) {
            if (line.error.isEmpty()) line.error = QStringLiteral("an empty file name was given");
        } else {
            line.file = a;
        }
    }
    return line;
}

CommandLine CommandLine::parseEarly(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--")) break;
        if (isHelp(a)) line.help = true;
        if (isVersion(a)) line.version = true;
    }
    return line;
}

QString CommandLine::versionText() {
    return QStringLiteral("quillon (Quillon Videos 97) " QUILLON_RELEASE "\n");
}

QString CommandLine::usage() {
    return QStringLiteral(
        "Usage: quillon [FILE.DBF] [/BROWSE]\n"
        "\n"
        "Quillon Videos 97, a catalogue of a home video collection.\n"
        "\n"
        "Starts with the catalogue used last, else MASTER.DBF in the program folder (created when\n"
        "missing); with FILE.DBF given, then opens that catalogue as File > Open does.\n"
        "\n"
        "Options:\n"
        "  /BROWSE, --browse  browse mode: records can be viewed and printed, not changed\n"
        "  --help             show this help and exit\n"
        "  --version          show the version and exit\n"
        "  --                 what follows is a file name, even when it starts with \"-\"\n"
        "\n"
        "Program folder: $QUILLON_HOME, else $XDG_DATA_HOME/quillon-videos.\n"
        "Settings: $XDG_CONFIG_HOME/quillon-videos/QLNVID.INI.\n"
        "Exit codes: 0 ended normally, 1 could not start, 2 wrong usage.\n"
        "The batch commands are in quillon-cli; see quillon(1) and quillon-cli(1).\n");
}
