#include "gui/help/HtmlHelp.h"

#include "gui/help/ChmFile.h"
#include "gui/help/HelpWindow.h"

#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QWhatsThis>
#include <QWidget>

#include <dlfcn.h>

#include <map>

namespace {

// ---- the loader -------------------------------------------------------

void* DefaultLoad(const char* pszName)
{
    return dlopen(pszName, RTLD_NOW | RTLD_LOCAL);
}

void* DefaultSymbol(void* hLibrary, const char* pszName)
{
    return dlsym(hLibrary, pszName);
}

// Process-wide loader state. The library, once loaded, is never released.
struct HtmlHelpLoader {
    HtmlHelpLibraryHooks m_hooks { &DefaultLoad, &DefaultSymbol };
    void* m_hLibrary = nullptr;
    ChmApi m_api;          // the entry points, complete once all are found
    bool m_bLoadFailed = false;
};

HtmlHelpLoader& Loader()
{
    static HtmlHelpLoader loader;
    return loader;
}

template <typename Fn>
void Bind(Fn& pfn, const char* pszName)
{
    if (!pfn)
        pfn = reinterpret_cast<Fn>(Loader().m_hooks.m_pfnSymbol(Loader().m_hLibrary, pszName));
}

// Binds the engine; true when every entry point is known.
bool BindEngine()
{
    HtmlHelpLoader& loader = Loader();
    if (!loader.m_hLibrary && !loader.m_bLoadFailed) {
        loader.m_hLibrary = loader.m_hooks.m_pfnLoad(kHtmlHelpLibrary);
        if (!loader.m_hLibrary) {
            loader.m_bLoadFailed = true;
            return false;
        }
    }
    if (!loader.m_hLibrary)
        return false; // an earlier load failed: never try again
    if (!loader.m_api.IsComplete()) {
        Bind(loader.m_api.m_pfnOpen, "chm_open");
        Bind(loader.m_api.m_pfnClose, "chm_close");
        Bind(loader.m_api.m_pfnResolve, "chm_resolve_object");
        Bind(loader.m_api.m_pfnRetrieve, "chm_retrieve_object");
        Bind(loader.m_api.m_pfnEnumerate, "chm_enumerate");
        if (!loader.m_api.IsComplete()) {
            // The library is kept; the lookup is tried again next time.
            loader.m_bLoadFailed = true;
            return false;
        }
    }
    return true;
}

// ---- the engine -------------------------------------------------------

// The engine's state, which HtmlHelp callers share as they share the
// engine: its one help window and the cookies it hands out. GUI thread only.
struct HelpEngine {
    QPointer<CHelpWindow> m_pWindow;
    quint32 m_dwNextCookie = 0x5a4f0001;
};

HelpEngine& Engine()
{
    static HelpEngine engine;
    return engine;
}

// "file.chm::/Topic.htm>window" → file and topic ("/Topic.htm", may be empty).
struct HelpTarget {
    QString m_strFile;
    QString m_strTopic;
};

HelpTarget SplitTarget(const QString& strTarget)
{
    HelpTarget target;
    QString strRest = strTarget;
    if (const qsizetype nWindow = strRest.lastIndexOf(u'>'); nWindow >= 0)
        strRest.truncate(nWindow);
    if (const qsizetype nSep = strRest.indexOf(QLatin1String("::")); nSep >= 0) {
        target.m_strFile = strRest.left(nSep);
        target.m_strTopic = strRest.mid(nSep + 2);
    } else {
        target.m_strFile = strRest;
    }
    target.m_strFile = target.m_strFile.trimmed();
    target.m_strTopic = target.m_strTopic.trimmed();
    return target;
}

std::shared_ptr<const CChmFile> OpenHelpFile(const QString& strFile)
{
    if (strFile.isEmpty() || !QFileInfo(strFile).isFile())
        return nullptr;
    auto pFile = std::make_shared<const CChmFile>(Loader().m_api, strFile);
    if (!pFile->IsOpen())
        return nullptr;
    return pFile;
}

quintptr DisplayToc(QWidget* pCaller, const QString& strTarget)
{
    const HelpTarget target = SplitTarget(strTarget);
    const QString strFile = QFileInfo(target.m_strFile).absoluteFilePath();

    CHelpWindow* pWindow = Engine().m_pWindow.data();
    QWidget* pOwner = pCaller ? pCaller->window() : nullptr;
    // A window of another file, or owned by another window, is replaced.
    if (pWindow && (pWindow->FilePath() != strFile || pWindow->parentWidget() != pOwner)) {
        pWindow->close();
        Engine().m_pWindow = nullptr;
        pWindow = nullptr;
    }
    if (!pWindow) {
        const std::shared_ptr<const CChmFile> pFile = OpenHelpFile(strFile);
        if (!pFile)
            return 0; // no help file: nothing shown, nothing said
        pWindow = new CHelpWindow(pFile, pOwner);
        Engine().m_pWindow = pWindow;
    }
    pWindow->ShowTopic(target.m_strTopic.isEmpty() ? QStringLiteral("/Introduction.htm") : target.m_strTopic);
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
    return reinterpret_cast<quintptr>(pWindow);
}

// The texts of a text-popup file: ".topic <context id>" followed by the
// lines of its text, up to the next ".topic".
std::map<quint32, QString> ParsePopupTexts(const QString& strText)
{
    std::map<quint32, QString> texts;
    const QRegularExpression reTopic(QStringLiteral(R"(^\.topic\s+(\d+)\s*$)"));
    quint32 nCurrent = 0;
    bool bHaveTopic = false;
    QStringList lines;
    auto flush = [&] {
        if (bHaveTopic)
            texts[nCurrent] = lines.join(u'\n').trimmed();
        lines.clear();
    };
    for (const QString& strLine : strText.split(u'\n')) {
        const QString strTrimmed = strLine.trimmed();
        const QRegularExpressionMatch m = reTopic.match(strTrimmed);
        if (m.hasMatch()) {
            flush();
            nCurrent = m.captured(1).toUInt();
            bHaveTopic = true;
        } else if (bHaveTopic) {
            lines.append(strTrimmed);
        }
    }
    flush();
    return texts;
}

quintptr ShowControlPopup(QWidget* pControl, const QString& strTarget, quintptr dwData)
{
    if (!pControl || dwData == 0)
        return 0;
    const int nControlId = HelpControlId(pControl);
    if (nControlId == 0)
        return 0;
    quint32 nContext = 0;
    for (const quint32* pPair = reinterpret_cast<const quint32*>(dwData); pPair[0] != 0 || pPair[1] != 0;
         pPair += 2) {
        if (pPair[0] == static_cast<quint32>(nControlId)) {
            nContext = pPair[1];
            break;
        }
    }
    if (nContext == 0)
        return 0;

    const HelpTarget target = SplitTarget(strTarget);
    const std::shared_ptr<const CChmFile> pFile = OpenHelpFile(target.m_strFile);
    if (!pFile)
        return 0;
    const QString strPopupFile = target.m_strTopic.isEmpty() ? QStringLiteral("/Popups.txt") : target.m_strTopic;
    const std::optional<QByteArray> data = pFile->Read(strPopupFile);
    if (!data)
        return 0;
    const std::map<quint32, QString> texts = ParsePopupTexts(QString::fromUtf8(*data));
    const auto it = texts.find(nContext);
    if (it == texts.end() || it->second.isEmpty())
        return 0;

    // Beside the control: just below its top left corner, where the user
    // pointed at it.
    const QPoint pos = pControl->mapToGlobal(QPoint(pControl->width() / 4, pControl->height()));
    QWhatsThis::showText(pos, it->second.toHtmlEscaped().replace(u'\n', QLatin1String("<br>")), pControl);
    return static_cast<quintptr>(nContext);
}

quintptr RunCommand(QWidget* pCaller, const QString& strFile, unsigned uCommand, quintptr dwData)
{
    switch (uCommand) {
    case HH_DISPLAY_TOPIC:
    case HH_DISPLAY_TOC:
        return DisplayToc(pCaller, strFile);
    case HH_TP_HELP_WM_HELP:
        return ShowControlPopup(pCaller, strFile, dwData);
    case HH_CLOSE_ALL:
        if (Engine().m_pWindow)
            Engine().m_pWindow->close();
        QWhatsThis::hideText();
        return 1;
    case HH_INITIALIZE: {
        const quint32 dwCookie = Engine().m_dwNextCookie++;
        if (dwData)
            *reinterpret_cast<quint32*>(dwData) = dwCookie;
        return 1;
    }
    case HH_UNINITIALIZE:
        return 1;
    case HH_PRETRANSLATEMESSAGE:
    default:
        return 0;
    }
}

} // namespace

quintptr CallHtmlHelp(QWidget* hwndCaller, const QString& strFile, unsigned uCommand, quintptr dwData)
{
    if (!BindEngine())
        return 0;
    return RunCommand(hwndCaller, strFile, uCommand, dwData);
}

int HelpControlId(const QWidget* pControl)
{
    if (!pControl)
        return 0;
    const QVariant id = pControl->property("controlId");
    if (id.isValid())
        return id.toInt();
    bool bOk = false;
    const int nId = pControl->objectName().toInt(&bOk);
    return bOk ? nId : 0;
}

void SetHelpControlId(QWidget* pControl, int nId)
{
    if (pControl)
        pControl->setProperty("controlId", nId);
}

void SetHtmlHelpLibraryHooks(const HtmlHelpLibraryHooks& hooks)
{
    HtmlHelpLoader& loader = Loader();
    loader.m_hooks = hooks;
    loader.m_hLibrary = nullptr;
    loader.m_api = ChmApi {};
    loader.m_bLoadFailed = false;
}

HtmlHelpLibraryHooks DefaultHtmlHelpLibraryHooks()
{
    return { &DefaultLoad, &DefaultSymbol };
}
