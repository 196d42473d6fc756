#include "velmora/CVelmoraDoc.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraSettings.h"

#include <wx/filename.h>

wxIMPLEMENT_DYNAMIC_CLASS(CVelmoraDoc, wxDocument);

bool CVelmoraDoc::OnNewDocument() {
    if (!wxDocument::OnNewDocument()) return false;
    // The open-last branch (the form's start choice) and the reset of the
    // flue-gas system come with the form and the model objects.
    SetPathName("unbenannt");
    return true;
}

void CVelmoraDoc::SetPathName(const std::string& name) {
    std::string path = vx::NormalizeSlashes(name);
    if (path.find('/') == std::string::npos) path = vx::JoinPath(OpenDialogDirectory(), path);
    // The title first: the views show it when told of the new name.
    SetTitle(vx::ToWx(vx::BaseName(path)));
    SetFilename(vx::ToWx(path), true);
}

bool CVelmoraDoc::OnSaveModified() {
    if (!IsModified()) return true;
    const std::string question = vx::Format(vx::LoadString(IDS_ASK_TO_SAVE), vx::FromWx(GetUserReadableName()));
    switch (vx::ShowMessage(question, vx::MB_YESNOCANCEL | vx::MB_ICONEXCLAMATION)) {
    case vx::IDYES:
        return Save();
    case vx::IDNO:
        Modify(false);
        return true;
    default:
        return false;
    }
}

int32_t CVelmoraDoc::GetDocValue(int code, int index) {
    switch (code) {
    case 18:
        g_ResultsValid = 0;
        resultValid = 0;
        UpdateAllViews();
        return 0;
    case 21:
        if (index != 0) UpdateAllViews();
        Modify(true);
        return 0;
    default:
        // The codes answered from the heat generator, the construction, the
        // chimney and the chimney head come with those objects.
        return 0;
    }
}

bool CVelmoraDoc::DoOpenDocument(const wxString&) {
    vx::ShowMessageId(IDS_FAILED_TO_OPEN_DOC, vx::MB_OK | vx::MB_ICONEXCLAMATION);
    return false;
}

bool CVelmoraDoc::DoSaveDocument(const wxString&) { return false; }
