#pragma once

#include "framework/ComboBox.h"

#include <windows.h>

#include <string>

// Direction and target of one data exchange between a dialog's members and its controls.
struct CDataExchange
{
    HWND m_dialog;
    // TRUE: controls to members; FALSE: members to controls.
    BOOL m_saveAndValidate;
};

// Binds control `id` to a combo box member (in both directions).
void DDX_Control(CDataExchange* exchange, int id, CComboBox& combo);

// Exchanges the window text of control `id` with a text member.
void DDX_Text(CDataExchange* exchange, int id, std::string& value);
