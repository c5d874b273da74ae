#include "LanguageFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "InstallPaths.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/FileOps.h"
#include "platform/Logging.h"
#include "platform/Services.h"

namespace kestrel {

namespace {

struct LanguageState {
    QString catalogueTemplate;
    QStringList missing;
    bool told = false;
    std::unique_ptr<QTranslator> translator;
};

LanguageState& State() {
    static LanguageState state;
    return state;
}

}  // namespace

void SettleLanguageFiles() {
    ForgetLanguageFiles();
    AppInfo& app = App();
    const QString language = app.Language.trimmed();
    // Qt's own dialogs and every date and number follow the language the
    // language database names, not the machine's.
    QLocale::setDefault(QLocale(IsDefaultLanguage() ? QStringLiteral("en") : language.toLower()));
    if (IsDefaultLanguage())
        return;
    LanguageState& state = State();
    // A missing file is named as on disk as far as the folders go (install
    // paths come upper case).
    const auto missing = [&state](const QString& named) {
        qCWarning(lcUi, "A file of the language is missing, English is used: %s",
                  qUtf8Printable(named));
        state.missing << named;
    };
    // The file as found on disk, whatever the case of its name; empty, and
    // noted as missing, when it is not there.
    const auto existing = [&missing](const QString& path) {
        QString found = ResolvePath(path);
        if (QFileInfo(found).isFile())
            return found;
        missing(found);
        return QString();
    };

    state.catalogueTemplate =
        existing(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")) +
                 QStringLiteral("LANGUAGES/") + language + QStringLiteral("/KESTREL.MDB"));
    if (existing(HelpFilePath()).isEmpty()) {
        app.MissingHelpFile = HelpFileName();
        app.HelpFile.clear();
    }
    if (existing(ReportTemplatePath()).isEmpty())
        app.ReportFile.clear();

    const QString folder = services().translationsFolder.isEmpty()
                               ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                               : services().translationsFolder;
    const QString qtName = QStringLiteral("qtbase_") + language.toLower();
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(qtName, folder)) {
        QCoreApplication::installTranslator(translator.get());
        state.translator = std::move(translator);
    } else {
        missing(ResolvePath(folder + u'/' + qtName + QStringLiteral(".qm")));
    }
}

QString CatalogueTemplate() {
    return State().catalogueTemplate;
}

QStringList MissingLanguageFiles() {
    return State().missing;
}

void TellMissingLanguageFiles() {
    LanguageState& state = State();
    if (state.missing.isEmpty() || state.told)
        return;
    state.told = true;
    LangMsgBox(kOwnSource, msgbox::own::kLanguageFilesMissing,
               state.missing.join(QStringLiteral("\r\n")), kProductTitle);
}

void ForgetLanguageFiles() {
    LanguageState& state = State();
    if (state.translator)
        QCoreApplication::removeTranslator(state.translator.get());
    state = LanguageState();
}

}  // namespace kestrel
