#include "frame/Startup.h"
#include "frame/Config.h"
#include "frame/Folders.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Menu.h"
#include "frame/Relink.h"
#include "frame/Utility.h"
#include "frame/Utility_RQM.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/FontsAhead.h"
#include "platform/Prompts.h"
#include "platform/zip/Unzip.h"

namespace frame {

namespace {
const QString MainLabel = QStringLiteral("frmMainMDI");
// The password of the database files, kept only inside the connection prefixes.
const QString DbPassword = QStringLiteral("trambelo2009");

std::function<void()> &startPage()
{
    static std::function<void()> open;
    return open;
}
} // namespace

void SetStartPageOpener(std::function<void()> open)
{
    startPage() = std::move(open);
}

void RecoverStoppedUpdate()
{
    const auto r = platform::zip::Extraction::recover(gDbPath);
    if (!r.ok) {
        Utility_RQM::WriteErrorLog(MainLabel, QStringLiteral("RecoverStoppedUpdate"),
                                   QString::number(platform::err::PathNotFound),
                                   QStringLiteral("L'ultimo aggiornamento della banca dati non si è concluso e non è "
                                                  "stato possibile ripristinare tutti i Database precedenti nella "
                                                  "cartella ") +
                                       gDbPath);
    } else if (r.rolledBack) {
        platform::prompts().msgBox(QStringLiteral("L'ultimo aggiornamento della banca dati non si è concluso: sono "
                                                  "stati ripristinati i Database precedenti."),
                                   platform::mb::Information);
    }
}

Startup::Startup(const QString &programFolder, Options options)
    : m_folder(platform::files::withSep(programFolder)), m_options(std::move(options)), m_instance(m_options.lockPath)
{
}

void Startup::step(const char *code)
{
    m_step = QString::fromLatin1(code);
    Utility::WriteDebugLog(MainLabel, QStringLiteral("Mdi_Load"), m_step);
}

bool Startup::run()
{
    gAppPath = m_folder;
    // Known before anything can fail, so that every error reaches the log.
    gFilesPath = gAppPath + QStringLiteral("Files/");
    bool goOn = true;
    Guard(MainLabel, QStringLiteral("Form_Load"), [&] {
        step("001");
        if (m_options.window)
            Utility::InitFormLayout(m_options.window);

        step("002");
        if (!m_instance.acquire()) {
            platform::prompts().msgBox(QStringLiteral("Programma già aperto! La nuova istanza sarà chiusa."),
                                       platform::mb::Critical, platform::AppTitle);
            goOn = false;
            return;
        }
        gDbPassword = DbPassword;
        gFilesPath = gAppPath + QStringLiteral("Files/");
        gExcelPath = gAppPath + QStringLiteral("Excel/");
        gConnAdo = QStringLiteral("Driver={SQLite};Pwd=") + gDbPassword + QStringLiteral(";Dbq= ");
        gConnDao = QStringLiteral("SQLite;pwd=") + gDbPassword;

        step("003");
        if (!FindDatabases(m_options.window)) {
            goOn = false;
            return;
        }
        RecoverStoppedUpdate();

        step("004");
        if (!RefreshLinkOnDB_2()) {
            goOn = false;
            return;
        }

        step("005");
        FindShapeFiles(m_options.window);
        gHelpFile = gAppPath + QStringLiteral("Files/Help/index.html");

        step("006");
        if (!gAreaConfig)
            gAreaConfig = &TheAreaConfig();
        gAreaConfig->SetConnection(gConnAdo + gDbPath);
        gAreaConfig->SetFilesPath(gFilesPath);
        gAreaConfig->Load();

        step("007");
        // The menus are made while the system's fonts may still be loading:
        // nothing is measured until the window is shown.
        m_menuBuilt = mdlMenu::BuildMainMenu(m_options.menuBar);
        showMain();
        // Even without a menu (its failure is logged) the start page is reached.

        step("008");
        if (!gMetaConfig)
            gMetaConfig = &TheMetaConfig();
        gMetaConfig->Init(gConnAdo, gDbPath, QStringLiteral("Metadati.mdb"));
        if (startPage())
            startPage()();
    });
    if (!goOn) {
        m_exitCode = 1;
        return false;
    }
    // Start-up cut short by an error: the program goes on, so its window shows.
    showMain();
    return true;
}

void Startup::showMain()
{
    if (m_mainShown)
        return;
    m_mainShown = true;
    // The window is laid out with the system's fonts: their configuration,
    // loaded as the program started, is waited for here rather than loaded a
    // second time.
    platform::FontsAhead::awaitConfiguration();
    if (m_options.showMain)
        m_options.showMain();
}

} // namespace frame
