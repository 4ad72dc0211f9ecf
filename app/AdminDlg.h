#pragma once

#include "config/ProfileFile.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/ToolTip.h"

#include <functional>
#include <string>
#include <vector>

class CDialogReporter;
class CReporter;

// The main dialog: the display mode of the server's window, the server's root directory and
// the directory of one queue, each with the command that changes it.
class CAdminDlg : public CDialog
{
public:
    CAdminDlg();
    ~CAdminDlg() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    CommandTable GetCommandTable() const override;
    // A move that a shutdown would cut off holds it up; a shutdown that comes all the same
    // first takes back what the move copied.
    bool OnQueryEndSession() override;
    void OnEndSession(bool ending) override;
    void OnHandlerException(const std::exception& error) override;

private:
    // Handlers of the command table.
    void OnAbout();
    void OnSetDir();
    void OnSetRoot();
    void OnSetDisplay();
    void OnBrowseQueueDir();
    void OnCloseupQueue();
    void OnBrowseRoot();
    void OnContextHelp();
    void OnDestroy();

    // Start-up steps.
    void ShowProgramIcon();
    void FillDisplayModes(UINT currentShowCommand);
    void FillQueueList(const std::vector<std::string>& names);

    void RunCommand(const std::function<void(CReporter&)>& command);
    bool ChooseFolder(const std::string& initial, bool forQueue, std::string& chosen);

    // The name of the selected queue, or empty when none is selected.
    bool GetSelectedQueue(std::string& queueName) const;

    CComboBox m_queueCombo;
    CComboBox m_displayCombo;
    std::string m_rootDir;
    std::string m_queueDir;
    std::string m_windowsDir;
    std::string m_moduleDir;
    std::string m_serverProfilePath;
    CProfileFile m_systemProfile;
    CProfileFile m_serverProfile;
    // The whole of the two directories, which their controls shorten in the middle.
    CToolTip m_pathTips;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    // The reporter of the command that runs, if one does.
    CDialogReporter* m_running = nullptr;
};
