#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "core/actions/FavoriteFiles.h"

// What the properties show of a favourite, copied from its record.
struct FavoriteProperties {
    QString m_strName;     // the label the tree shows
    std::string m_strPath; // the favourite's own file, bytes as on disk
    std::string m_strUrl;
    int m_nKind = -1;
};

// The properties of a favourite's file. The desktop's file manager shows
// them when it answers (org.freedesktop.FileManager1.ShowItemProperties over
// D-Bus); otherwise this read-only dialog of our own does: name, type, file
// path, size, modified time, URL and permissions.
class CFavoritePropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CFavoritePropertiesDlg(const FavoriteProperties& props, const FavoriteFileInfo& info, QWidget* pParent);

    // Shows the properties of the favourite's file, as a window that does
    // not block the program. Nothing is shown, and nothing reported, when
    // the file cannot be read.
    static void ShowFor(const FavoriteProperties& props, QWidget* pParent);

    // Asks the file manager to show a file's properties and calls `done`
    // (on the GUI thread, while `pContext` lives) with whether it did.
    using Asker = std::function<void(const QString& strUri, QObject* pContext, std::function<void(bool)> done)>;
    static void SetAsker(Asker asker); // empty: the desktop's file manager over D-Bus
    // The file's URI, its bytes percent-encoded as they are on disk.
    static QString FileUri(const std::string& strPath);

private:
    void CreateControls(const FavoriteProperties& props, const FavoriteFileInfo& info);
    // Widens the dialog so that long values show whole.
    void FitLongValues();

    static Asker s_asker;
};
