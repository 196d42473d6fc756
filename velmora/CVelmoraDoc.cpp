#include "velmora/CVelmoraDoc.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
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
    SetFilename(vx::ToWx(path), true);
    SetTitle(vx::ToWx(vx::BaseName(path)));
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
