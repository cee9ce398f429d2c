#pragma once

#include <QWidget>

class QCheckBox;
class CDigitEdit;
class CUpDownCtrl;
struct CheckSettings;

// The Settings page of the configuration sheet: the thread count, the
// response time-out in seconds and the auto-check box. It shows the check
// settings when it is made, keeps both numbers in range while the user
// types, and stores them in memory on OK; the settings file is written at
// exit only.
class CConfigurationPSPage1 : public QWidget {
    Q_OBJECT
public:
    enum {
        IDD = 104,
        IDC_EDIT_THREADS = 1008,
        IDC_EDIT_TIMEOUT = 1010,
        IDC_SPIN_THREADS = 1012,
        IDC_SPIN_TIMEOUT = 1014,
        IDC_CHECK_AUTOCHECK = 1025,
        IDC_CHECK_CONTENTCHECKS = 1090, // below the original controls, a number of its own
    };

    // Shows and changes `settings`, which must outlive the page.
    explicit CConfigurationPSPage1(CheckSettings& settings, QWidget* pParent = nullptr);

    // Fills the controls from the check settings; a thread count or a
    // time-out out of range is shown as 1 thread or 60 seconds.
    void OnInitDialog();
    // Validates both numbers and stores all the settings; or shows why not,
    // brings the number into range in its field (to be looked at and
    // confirmed with OK again), stores nothing and returns false.
    bool OnOK();

    CDigitEdit* ThreadsEdit() const { return m_editThreads; }
    CDigitEdit* TimeoutEdit() const { return m_editTimeout; }
    CUpDownCtrl* ThreadsSpin() const { return m_spinThreads; }
    CUpDownCtrl* TimeoutSpin() const { return m_spinTimeout; }
    QCheckBox* AutoCheckBox() const { return m_checkAutoCheck; }
    QCheckBox* ContentChecksBox() const { return m_checkContentChecks; }

private:
    void CreateControls();
    // The user has left a field: a number out of range is said so and
    // brought into range.
    void OnLeaveThreads();
    void OnLeaveTimeout();
    bool CorrectThreads();
    bool CorrectTimeout();
    bool m_bCorrecting = false; // a correction's message box is open

    CheckSettings& m_settings;
    CDigitEdit* m_editTimeout = nullptr;
    CDigitEdit* m_editThreads = nullptr;
    QCheckBox* m_checkAutoCheck = nullptr;
    QCheckBox* m_checkContentChecks = nullptr;
    CUpDownCtrl* m_spinTimeout = nullptr;
    CUpDownCtrl* m_spinThreads = nullptr;
};
