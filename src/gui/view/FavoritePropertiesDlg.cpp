#include "gui/view/FavoritePropertiesDlg.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDateTime>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "core/model/IconRule.h"
#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"

CFavoritePropertiesDlg::Asker CFavoritePropertiesDlg::s_asker;

namespace {

// Longest wait for the file manager's answer; it may have to be started.
constexpr int kFileManagerTimeoutMs = 5000;

void AskFileManager(const QString& strUri, QObject* pContext, std::function<void(bool)> done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done(false);
        return;
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                       "org.freedesktop.FileManager1", "ShowItemProperties");
    message << QStringList{strUri} << QString();
    auto* pWatcher = new QDBusPendingCallWatcher(bus.asyncCall(message, kFileManagerTimeoutMs), pContext);
    QObject::connect(pWatcher, &QDBusPendingCallWatcher::finished, pContext, [pWatcher, done] {
        pWatcher->deleteLater();
        done(!pWatcher->isError());
    });
}

QString FromBytes(const std::string& str) { return QString::fromUtf8(str.data(), qsizetype(str.size())); }

} // namespace

void CFavoritePropertiesDlg::SetAsker(Asker asker) { s_asker = std::move(asker); }

QString CFavoritePropertiesDlg::FileUri(const std::string& strPath)
{
    const QByteArray encoded = QByteArray(strPath.data(), qsizetype(strPath.size())).toPercentEncoding("/");
    return "file://" + QString::fromLatin1(encoded);
}

void CFavoritePropertiesDlg::ShowFor(const FavoriteProperties& props, QWidget* pParent)
{
    const std::optional<FavoriteFileInfo> info = ReadFavoriteFileInfo(props.m_strPath);
    if (!info)
        return;
    QPointer<QWidget> pGuard(pParent);
    auto done = [pGuard, props, info = *info](bool bShown) {
        if (bShown || !pGuard)
            return;
        auto* pDlg = new CFavoritePropertiesDlg(props, info, pGuard);
        pDlg->setAttribute(Qt::WA_DeleteOnClose);
        pDlg->show();
        pDlg->raise();
        pDlg->activateWindow();
    };
    const Asker& asker = s_asker ? s_asker : Asker(AskFileManager);
    asker(FileUri(props.m_strPath), pParent, std::move(done));
}

CFavoritePropertiesDlg::CFavoritePropertiesDlg(const FavoriteProperties& props, const FavoriteFileInfo& info,
                                               QWidget* pParent)
    : QDialog(pParent)
{
    setObjectName("favoritePropertiesDlg");
    setWindowTitle(props.m_strName + " Properties");
    CreateControls(props, info);
}

void CFavoritePropertiesDlg::CreateControls(const FavoriteProperties& props, const FavoriteFileInfo& info)
{
    const CDialogUnits du(font());
    setFixedSize(du.X(228), du.Y(153));

    // A value the user can read, select and scroll, but not change.
    QPalette palValue = palette();
    palValue.setColor(QPalette::Base, palValue.color(QPalette::Window));
    const auto addValue = [&](const QRect& rcDlu, const QString& strText, const char* pszName) {
        auto* pEdit = new QLineEdit(strText, this);
        pEdit->setObjectName(pszName);
        pEdit->setReadOnly(true);
        pEdit->setFrame(false);
        pEdit->setPalette(palValue);
        pEdit->setCursorPosition(0);
        pEdit->setGeometry(du.Rect(rcDlu));
        return pEdit;
    };
    const auto addLine = [&](int y) {
        auto* pLine = new QFrame(this);
        pLine->setFrameShape(QFrame::HLine);
        pLine->setFrameShadow(QFrame::Sunken);
        pLine->setGeometry(du.X(7), du.Y(y), du.X(214), 2);
    };

    auto* pIcon = new QLabel(this);
    const int nIcon = std::min(du.X(20), du.Y(20));
    const int nKind = props.m_nKind >= 0 && props.m_nKind < 4 ? props.m_nKind : 0;
    QPixmap icon = Artwork::StatusImage(nKind, devicePixelRatioF() * nIcon / 16.0);
    icon.setDevicePixelRatio(devicePixelRatioF());
    pIcon->setPixmap(icon);
    pIcon->setGeometry(du.Rect(7, 7, 20, 20));
    addValue(QRect(36, 11, 185, 12), props.m_strName, "name");
    addLine(32);

    QString strSize;
    if (!info.m_bFolder) {
        strSize = QLocale().toString(qulonglong(info.m_nSize)) + " bytes";
        if (info.m_nSize >= 1024)
            strSize = QLocale().formattedDataSize(qint64(info.m_nSize)) + " (" + strSize + ")";
    }
    QString strPermissions = QString::fromStdString(info.m_strPermissions);
    if (!info.m_bSymlink && info.m_strPermissions.size() > 2 && info.m_strPermissions[2] != 'w')
        strPermissions += "  (read-only)";
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(qint64(info.m_tModified));
    const struct {
        const char* m_pszLabel;
        QString m_strValue;
        const char* m_pszName;
    } rows[] = {
        {"Type:", QString::fromUtf8(FavoriteKindTypeName(props.m_nKind).data(),
                                    qsizetype(FavoriteKindTypeName(props.m_nKind).size())),
         "type"},
        {"File:", FromBytes(props.m_strPath), "file"},
        {"Size:", strSize, "size"},
        {"Modified:",
         QLocale().toString(modified.date(), QLocale::LongFormat) + ", " +
             QLocale().toString(modified.time(), QLocale::ShortFormat),
         "modified"},
        {"URL:", FromBytes(props.m_strUrl), "url"},
        {"Permissions:", strPermissions, "permissions"},
    };
    int y = 40;
    for (const auto& row : rows) {
        auto* pLabel = new QLabel(row.m_pszLabel, this);
        pLabel->setGeometry(du.Rect(7, y, 54, 10));
        QLineEdit* pValue = addValue(QRect(62, y, 159, 10), row.m_strValue, row.m_pszName);
        pLabel->setBuddy(pValue);
        y += 14;
    }
    addLine(y + 2);

    auto* pClose = new QPushButton("Close", this);
    pClose->setObjectName("close");
    pClose->setGeometry(du.Rect(171, y + 8, 50, 14));
    pClose->setDefault(true);
    pClose->setAutoDefault(true);
    connect(pClose, &QPushButton::clicked, this, &QDialog::accept);
    pClose->setFocus();
    FitLongValues();
}

void CFavoritePropertiesDlg::FitLongValues()
{
    // A long path or URL is shown whole: the dialog grows as wide as its
    // longest value needs, up to most of the screen; what still does not
    // fit can be scrolled and shows whole in its tooltip.
    const QList<QLineEdit*> values = findChildren<QLineEdit*>();
    int nNeed = 0;
    for (const QLineEdit* pValue : values) {
        const int nText = pValue->fontMetrics().horizontalAdvance(pValue->text()) + 8;
        nNeed = std::max(nNeed, nText - pValue->width());
    }
    const QScreen* pScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    const int nRoom = pScreen ? pScreen->availableGeometry().width() * 9 / 10 - width() : 0;
    const int nExtra = std::clamp(nNeed, 0, std::max(nRoom, 0));
    if (nExtra > 0) {
        setFixedSize(width() + nExtra, height());
        for (QWidget* pChild : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<QLineEdit*>(pChild))
                pChild->resize(pChild->width() + nExtra, pChild->height());
            else if (auto* pLine = qobject_cast<QFrame*>(pChild); pLine && pLine->frameShape() == QFrame::HLine)
                pLine->resize(pLine->width() + nExtra, pLine->height());
            else if (qobject_cast<QPushButton*>(pChild))
                pChild->move(pChild->x() + nExtra, pChild->y());
        }
    }
    for (QLineEdit* pValue : values) {
        if (pValue->fontMetrics().horizontalAdvance(pValue->text()) + 8 > pValue->width())
            pValue->setToolTip(pValue->text());
    }
}
