// tessaline-makedb: creates an SQLite database with the program's tables (and, with --demo,
// the demo data), and writes the connection settings the program reads, so that nobody has
// to edit the settings file by hand.
//
//   tessaline-makedb FILE [--demo] [--settings FOLDER [--organisation NAME]]
//   tessaline-makedb --settings FOLDER --server HOST[,PORT] --database NAME --login USER
//                    --password PASSWORD|- [--driver DRIVER] [--organisation NAME]
#include "db/DatabaseSetup.h"
#include "platform/db/Connection.h"
#include "platform/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char *const usageText =
    "usage: tessaline-makedb FILE [--demo] [--settings FOLDER [--organisation NAME]]\n"
    "       tessaline-makedb --settings FOLDER --server HOST[,PORT] --database NAME\n"
    "                        --login USER --password PASSWORD|- [--driver DRIVER] [--organisation NAME]\n"
    "\n"
    "  FILE                  create a new SQLite database with the program's tables\n"
    "  --demo                and fill it with the demo data\n"
    "  --settings FOLDER     write the connection settings into\n"
    "                        FOLDER/VB and VBA Program Settings/Veldrin2011.conf\n"
    "                        (FOLDER is the configuration folder, normally ~/.config):\n"
    "                        with FILE, settings that open FILE; otherwise those of a SQL Server\n"
    "  --server HOST[,PORT]  the SQL Server (HOST\\INSTANCE for a named instance)\n"
    "  --database NAME       the database on that server\n"
    "  --login USER          the SQL Server login\n"
    "  --password PASSWORD   its password; - reads it from the first line of standard input\n"
    "  --driver DRIVER       the ODBC driver (default: the one in the file, else FreeTDS)\n"
    "  --organisation NAME   printed at the top of every printed page (default: the one in the file)\n";

// The names the program reads its settings under.
const QString application = QStringLiteral("Veldrin2011");
const QString dbSection = QStringLiteral("DBConfig");
const QString localSection = QStringLiteral("Tessaline");

const QStringList valueOptions = {QStringLiteral("--settings"), QStringLiteral("--server"),
                                  QStringLiteral("--database"), QStringLiteral("--login"),
                                  QStringLiteral("--password"), QStringLiteral("--driver"),
                                  QStringLiteral("--organisation")};

struct Request
{
    QString databaseFile;
    bool demo = false;
    bool help = false;
    QMap<QString, QString> values; // option -> its value
    QString error;                 // why the arguments are wrong

    bool has(const char *option) const { return values.contains(QLatin1String(option)); }
    QString value(const char *option) const { return values.value(QLatin1String(option)); }
};

Request parseArguments(const QStringList &args)
{
    Request r;
    auto wrong = [&r](const QString &why) {
        r.error = why;
        return r;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            r.help = true;
        } else if (arg == QLatin1String("--demo")) {
            r.demo = true;
        } else if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size())
                return wrong(arg + QStringLiteral(" needs a value"));
            if (r.values.contains(arg))
                return wrong(arg + QStringLiteral(" is given twice"));
            r.values.insert(arg, args[++i]);
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return wrong(QStringLiteral("unknown option ") + arg);
        } else if (!r.databaseFile.isEmpty()) {
            return wrong(QStringLiteral("only one FILE can be created: ") + arg);
        } else {
            r.databaseFile = arg;
        }
    }
    if (r.help)
        return r;
    if (!r.databaseFile.isEmpty()) {
        for (const char *option : {"--server", "--database", "--login", "--password", "--driver"})
            if (r.has(option))
                return wrong(QLatin1String(option) + QStringLiteral(" belongs to the settings of a SQL Server, not to FILE"));
        if (r.has("--organisation") && !r.has("--settings"))
            return wrong(QStringLiteral("--organisation needs --settings"));
    } else {
        if (r.demo)
            return wrong(QStringLiteral("--demo needs the FILE to fill"));
        if (!r.has("--settings"))
            return wrong(QStringLiteral("FILE or --settings is needed"));
        for (const char *option : {"--server", "--database", "--login", "--password"})
            if (!r.has(option))
                return wrong(QLatin1String(option) + QStringLiteral(" is needed"));
        for (const char *option : {"--server", "--database"})
            if (r.value(option).trimmed().isEmpty())
                return wrong(QLatin1String(option) + QStringLiteral(" is empty"));
    }
    if (r.has("--settings") && r.value("--settings").isEmpty())
        return wrong(QStringLiteral("--settings needs a folder"));
    return r;
}

// One key to write. A default (keepExisting) is written only where the file has no value yet.
struct Setting
{
    QString section;
    QString key;
    QString value;
    bool keepExisting = false;
};

// Settings that open the SQLite database file; the file's path is stored absolute, as the
// program reads a relative one against the settings file's folder, not against ours.
QList<Setting> sqliteSettings(const Request &r)
{
    QList<Setting> settings = {{dbSection, QStringLiteral("Svr"), QString()},
                               {dbSection, QStringLiteral("UID"), QString()},
                               {dbSection, QStringLiteral("PWD"), QString()},
                               {dbSection, QStringLiteral("DBname"), QFileInfo(r.databaseFile).absoluteFilePath()},
                               {localSection, QStringLiteral("Backend"), QStringLiteral("sqlite")}};
    settings.append({localSection, QStringLiteral("OrganisationName"), r.value("--organisation"), !r.has("--organisation")});
    return settings;
}

QList<Setting> sqlServerSettings(const Request &r, const QString &password)
{
    QList<Setting> settings = {{dbSection, QStringLiteral("Svr"), r.value("--server")},
                               {dbSection, QStringLiteral("UID"), r.value("--login")},
                               {dbSection, QStringLiteral("PWD"), password},
                               {dbSection, QStringLiteral("DBname"), r.value("--database")},
                               {localSection, QStringLiteral("Backend"), QStringLiteral("sqlserver")}};
    settings.append({localSection, QStringLiteral("OdbcDriver"),
                     r.has("--driver") ? r.value("--driver") : QStringLiteral("FreeTDS"), !r.has("--driver")});
    settings.append({localSection, QStringLiteral("OrganisationName"), r.value("--organisation"), !r.has("--organisation")});
    return settings;
}

// The program reads each "key=value" line literally, the value trimmed and a pair of double
// quotes around it removed: a value is quoted exactly when that reading would change it.
QString storedValue(const QString &value)
{
    const bool quote = value != value.trimmed()
        || (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')));
    return quote ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

// A section header as the program's reader compares it (the whole trimmed line), or nothing.
std::optional<QString> headerOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    return trimmed;
}

QString keyOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    const int equals = trimmed.indexOf(QLatin1Char('='));
    return equals > 0 ? trimmed.left(equals).trimmed() : QString();
}

QString headerFor(const QString &section)
{
    return QLatin1Char('[') + section + QLatin1Char(']');
}

// The settings file with the given keys set. Every other line (other keys, other sections,
// comments) stays as it was; the keys written replace their old lines, in every copy of
// their section, and come first in the first copy.
QString mergedSettings(const QString &existing, const QList<Setting> &settings)
{
    QStringList lines = existing.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();

    auto present = [&lines](const Setting &s) {
        QString current;
        for (const QString &line : lines) {
            if (const auto header = headerOf(line))
                current = *header;
            else if (current == headerFor(s.section) && keyOf(line) == s.key)
                return true;
        }
        return false;
    };
    QList<Setting> written;
    for (const Setting &s : settings)
        if (!(s.keepExisting && present(s)))
            written.append(s);

    auto isWritten = [&written](const QString &header, const QString &key) {
        for (const Setting &s : written)
            if (headerFor(s.section) == header && s.key == key)
                return true;
        return false;
    };
    QStringList kept;
    QString current;
    for (const QString &line : lines) {
        if (const auto header = headerOf(line))
            current = *header;
        else if (isWritten(current, keyOf(line)))
            continue;
        kept.append(line);
    }

    for (const QString &section : {dbSection, localSection}) {
        QStringList keyLines;
        for (const Setting &s : written)
            if (s.section == section)
                keyLines.append(s.key + QLatin1Char('=') + storedValue(s.value));
        if (keyLines.isEmpty())
            continue;
        const auto header = std::find_if(kept.begin(), kept.end(), [&](const QString &line) {
            return headerOf(line) == headerFor(section);
        });
        if (header != kept.end()) {
            const qsizetype at = header - kept.begin() + 1;
            for (qsizetype i = 0; i < keyLines.size(); ++i)
                kept.insert(at + i, keyLines[i]);
        } else {
            if (!kept.isEmpty() && !kept.last().trimmed().isEmpty())
                kept.append(QString());
            kept.append(headerFor(section));
            kept.append(keyLines);
        }
    }
    return kept.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// A settings line ends at a line break, so a value cannot hold one.
QString unstorable(const QList<Setting> &settings)
{
    for (const Setting &s : settings)
        if (s.value.contains(QLatin1Char('\n')) || s.value.contains(QLatin1Char('\r')) || s.value.contains(QChar(0)))
            return s.key + QStringLiteral(" cannot hold a line break or a NUL character");
    return QString();
}

#ifdef Q_OS_UNIX
// Run as root for another user's folder, the files written are given to that user, who
// must be able to read them (and, for the folders made, to write there later).
void giveToOwnerOf(const QString &existingAncestor, const QStringList &paths, QTextStream &err)
{
    struct stat owner;
    if (geteuid() != 0 || stat(QFile::encodeName(existingAncestor).constData(), &owner) != 0 || owner.st_uid == 0)
        return;
    for (const QString &path : paths)
        if (chown(QFile::encodeName(path).constData(), owner.st_uid, owner.st_gid) != 0)
            err << "warning: could not give " << path << " to the owner of " << existingAncestor << "\n";
}
#endif

bool writeSettings(const QString &folder, const QList<Setting> &settings, QTextStream &err)
{
    if (const QString why = unstorable(settings); !why.isEmpty()) {
        err << why << "\n";
        return false;
    }
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    err << "on Windows the program reads its settings from the registry, which the suite's installer fills\n";
    return false;
#else
    // The settings store places the file under XDG_CONFIG_HOME: pointed at the folder, it
    // names the very file the program reads when started with XDG_CONFIG_HOME=FOLDER.
    const QString configFolder = QDir::cleanPath(QDir(folder).absolutePath());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder));
    const QString file = SettingsStore::location(application);
    if (!file.startsWith(configFolder + QLatin1Char('/'))) {
        err << "the settings file " << file << " is not under " << configFolder << "\n";
        return false;
    }

    const QString settingsFolder = QFileInfo(file).absolutePath();
    QStringList made; // the folders created here, outermost first
    QString ancestor = settingsFolder;
    while (!QFileInfo::exists(ancestor)) {
        made.prepend(ancestor);
        ancestor = QFileInfo(ancestor).absolutePath();
    }
    if (!QDir().mkpath(settingsFolder)) {
        err << "cannot create the folder " << settingsFolder << "\n";
        return false;
    }

    QString existing;
    QFile old(file);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            err << "cannot read " << file << ": " << old.errorString() << "\n";
            return false;
        }
        existing = QString::fromUtf8(old.readAll());
        old.close();
    }

    // Written beside the old file and put in its place in one step; it holds a password.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !out.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        || out.write(mergedSettings(existing, settings).toUtf8()) < 0 || !out.commit()) {
        err << "cannot write " << file << ": " << out.errorString() << "\n";
        return false;
    }
#ifdef Q_OS_UNIX
    made.append(file);
    giveToOwnerOf(ancestor, made, err);
#endif
    QTextStream(stdout) << "settings written to " << file << "\n";
    return true;
#endif
}

// "-" as the password: the first line of standard input, so that it is not on the command line.
std::optional<QString> passwordFrom(const QString &given)
{
    if (given != QLatin1String("-"))
        return given;
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = in.readLine();
    if (line.isEmpty())
        return std::nullopt;
    QString password = QString::fromUtf8(line);
    while (password.endsWith(QLatin1Char('\n')) || password.endsWith(QLatin1Char('\r')))
        password.chop(1);
    return password;
}

bool createDatabase(const Request &r, QTextStream &err)
{
    try {
        auto connection = db::Connection::createSqlite(r.databaseFile);
        DatabaseSetup::createSchema(*connection);
        if (r.demo)
            DatabaseSetup::loadDemoData(*connection);
    } catch (const db::DbError &error) {
        err << error.description() << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const Request request = parseArguments(app.arguments().mid(1));
    if (request.help) {
        QTextStream(stdout) << usageText;
        return 0;
    }
    if (!request.error.isEmpty()) {
        err << "tessaline-makedb: " << request.error << "\n" << usageText;
        return 2;
    }

    if (!request.databaseFile.isEmpty()) {
        if (!createDatabase(request, err))
            return 1;
        if (request.has("--settings") && !writeSettings(request.value("--settings"), sqliteSettings(request), err))
            return 1;
        return 0;
    }

    const std::optional<QString> password = passwordFrom(request.value("--password"));
    if (!password) {
        err << "tessaline-makedb: no password on standard input\n";
        return 2;
    }
    return writeSettings(request.value("--settings"), sqlServerSettings(request, *password), err) ? 0 : 1;
}
