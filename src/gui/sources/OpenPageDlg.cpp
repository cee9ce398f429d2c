#include "gui/sources/OpenPageDlg.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/sources/SourceLocation.h"
#include "gui/common/Artwork.h"
#include "gui/common/CommandIds.h"
#include "gui/common/DialogUnits.h"

COpenPageDlg::COpenPageDlg(QWidget* pParent, const QString& strLocation)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    setObjectName("openPageDlg");
    setWindowTitle("Open Web Page or File");
    setWindowIcon(Artwork::CommandIcon(ID_FILE_OPENPAGE));
    CreateControls();
    m_pEdit->setText(strLocation);
    m_pEdit->selectAll();
}

void COpenPageDlg::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.X(262), du.Y(92));

    CreateStatic(this, du, QRect(7, 7, 248, 26),
                 "Type the address of a web page (http:// or https://) or the name of a file. Zorbel lists "
                 "and checks the links it holds; a bookmarks file of a browser is listed with its folders.");

    auto* pLabel = new QLabel("&Address or file:", this);
    pLabel->setGeometry(du.Rect(7, 38, 248, 9));
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName("location");
    m_pEdit->setGeometry(du.Rect(7, 49, 192, 14));
    m_pEdit->setClearButtonEnabled(true);
    pLabel->setBuddy(m_pEdit);
    m_pBrowse = new QPushButton("&Browse...", this);
    m_pBrowse->setObjectName("browse");
    m_pBrowse->setGeometry(du.Rect(205, 49, 50, 14));
    connect(m_pBrowse, &QPushButton::clicked, this, &COpenPageDlg::OnBrowse);

    m_pOk = new QPushButton("OK", this);
    m_pOk->setObjectName("ok");
    m_pOk->setGeometry(du.Rect(151, 72, 50, 14));
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
    auto* pCancel = new QPushButton("Cancel", this);
    pCancel->setObjectName("cancel");
    pCancel->setGeometry(du.Rect(205, 72, 50, 14));
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_pEdit, m_pBrowse);
    setTabOrder(m_pBrowse, m_pOk);
    setTabOrder(m_pOk, pCancel);
    // Nothing to open until something is typed.
    connect(m_pEdit, &QLineEdit::textChanged, this,
            [this](const QString& strText) { m_pOk->setEnabled(!strText.trimmed().isEmpty()); });
    m_pOk->setEnabled(false);
    m_pEdit->setFocus();
}

void COpenPageDlg::OnBrowse()
{
    const QString strNow = m_pEdit->text().trimmed();
    QString strFolder = QDir::homePath();
    if (!strNow.isEmpty() && !IsWebSource(strNow.toStdString()))
        strFolder = QFileInfo(QString::fromStdString(LocationOf(strNow))).absolutePath();
    const QString strFile = QFileDialog::getOpenFileName(
        this, "Open File", strFolder,
        "Web pages and bookmark files (*.html *.htm *.xhtml *.json *.sqlite);;All files (*)");
    if (strFile.isEmpty())
        return;
    m_pEdit->setText(strFile);
    m_pOk->setFocus();
}

std::string COpenPageDlg::Location() const { return LocationOf(m_pEdit->text()); }

std::string COpenPageDlg::LocationOf(const QString& strText)
{
    const std::string strSource = RemoveZorbelPrefix(strText.trimmed().toStdString());
    if (strSource.empty() || IsWebSource(strSource))
        return strSource;
    QString strPath = QString::fromStdString(strSource);
    if (strPath == "~" || strPath.startsWith("~/"))
        strPath = QDir::homePath() + strPath.mid(1);
    // The file's name as the file system has it, also where it is no UTF-8.
    return QFile::encodeName(QFileInfo(strPath).absoluteFilePath()).toStdString();
}
