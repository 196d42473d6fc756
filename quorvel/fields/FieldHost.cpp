#include "quorvel/fields/FieldHost.h"

#include "quorvel/fields/FieldMessages.h"
#include "values/CMEinheitListe.h"
#include "values/CVxtBase.h"
#include "values/CWerte.h"

#include <algorithm>

FieldHost::FieldHost(FieldHostWindow& window, const FieldsDeliverable& fieldsOf)
    : fields(fieldsOf), window_(window) {}

void FieldHost::RegisterValue(CWerte* value) {
    if (value && std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
}

void FieldHost::UnregisterValue(CWerte* value) { std::erase(values, value); }

void FieldHost::SetHelpIdOfValues(uint16_t helpId) {
    for (CWerte* v : values) v->helpId = helpId;
}

CWerte* FieldHost::FindValue(int id) const {
    for (CWerte* v : values)
        if (v->valueId == id) return v;
    return nullptr;
}

bool FieldHost::IsMarkedLabel(int id) const {
    return std::find(markedLabels.begin(), markedLabels.end(), id) != markedLabels.end();
}

bool FieldHost::IsWrongField(int id) const {
    return std::find(wrongFields.begin(), wrongFields.end(), id) != wrongFields.end();
}

void FieldHost::SetWrongFields(std::vector<int> ids, std::string text) {
    wrongFields = std::move(ids);
    errorText = std::move(text);
    cursor = wrongFields.empty() ? npos : 0;
    window_.Repaint();
}

int FieldHost::RefreshFields(bool save) {
    if (refreshLock) return 1;
    const int result = window_.DataExchange(save);
    if (save) {
        for (CWerte* v : values) {
            const int id = v->valueId;
            if (!window_.HasControl(id)) continue;
            if (window_.IsEditField(id) && window_.IsModified(id) && !window_.IsTextValid(id)) return 0;
            // Texts go over whole: remarks and other memo texts exceed any edit line.
            v->SetText(window_.ControlText(id));
        }
        return result;
    }
    if (object) object->UpdateDependentValues();
    for (CWerte* v : values) {
        const int id = v->valueId;
        if (window_.HasControl(id)) {
            std::string text;
            v->GetText(text, false);
            window_.SetControlText(id, text);
            if (window_.HasFocus(id)) window_.SelectAll(id);
        }
        if (v->unitLabelControl && window_.HasControl(v->unitLabelControl))
            window_.SetControlText(v->unitLabelControl, UnitList().GetUnitText(v->displayUnit));
    }
    return result;
}

long FieldHost::Proposal(CWerte* value) {
    if (!object || !enabled || !value) return 0;
    window_.RefreshFields(true);
    object->LoadDefault(*value);
    window_.RefreshFields(false);
    window_.OnAfterProposal(*value);
    return 1;
}

long FieldHost::Preset() {
    window_.RefreshFields(true);
    if (!object || !enabled) return 0;
    if (presetCommand) window_.CommandToMainWindow(presetCommand);
    else object->SaveDefaults();
    return 1;
}

long FieldHost::Unit(CWerte* value) {
    if (!value || std::find(values.begin(), values.end(), value) == values.end()) return 0;
    uint16_t unit = value->displayUnit;
    if (!window_.ChooseUnit(unit)) return 0;
    window_.RefreshFields(true);
    value->displayUnit = unit;
    if (object) object->OnUnitChanged(*value);
    window_.RefreshFields(false);
    if (object) object->SaveUnitChoice(*value);
    return 1;
}

long FieldHost::ValueChanged(CWerte* value) {
    window_.RefreshFields(true);
    const long answer = object && value ? object->OnValueChanged(*value) : 0;
    window_.RefreshFields(false);
    return answer;
}

long FieldHost::ShowText(int mode, const std::string& text) { return window_.ShowMessage(mode, text) ? 1 : 0; }

long FieldHost::PostEnd(long first, long second) {
    postedFirst = first;
    postedSecond = second;
    window_.PostOk();
    return 1;
}

long FieldHost::ShowErrors() {
    if (wrongFields.empty() && errorText.empty()) return 0;
    window_.ShowInputErrors(errorText);
    if (!wrongFields.empty()) {
        window_.FocusControl(wrongFields.front());
        cursor = wrongFields.size() > 1 ? 1 : npos;
    }
    return 1;
}

std::string FieldHost::NextWrongSuffix() const { return fields.Load(fields.idsNextWrong); }

void FieldHost::ShowCursorEntry() {
    if (cursor == npos || cursor >= wrongFields.size()) {
        cursor = npos;
        window_.Finish();
        return;
    }
    const int id = wrongFields[cursor];
    if (window_.IsEditField(id)) window_.ShowMessage(1, window_.ReadFieldValue(id) + NextWrongSuffix());
    window_.FocusControl(id);
}

long FieldHost::NextWrong() {
    if (wrongFields.empty()) return 1;
    if (cursor == npos || cursor >= wrongFields.size()) {
        cursor = npos;
        window_.Finish();
        return 1;
    }
    const int id = wrongFields[cursor];
    if (!window_.IsEditField(id)) {
        ++cursor;
        ShowCursorEntry();
        return 1;
    }
    const std::string message = window_.ReadFieldValue(id);
    if (!message.empty()) {
        window_.ShowMessage(1, message + NextWrongSuffix());
        return 1;
    }
    ValueChanged(FindValue(id));
    std::erase_if(wrongFields, [&](int other) {
        return window_.IsEditField(other) && window_.ReadFieldValue(other).empty();
    });
    cursor = wrongFields.empty() ? npos : 0;
    window_.Repaint();
    ShowCursorEntry();
    return 1;
}

long FieldHost::EndWith(int code) {
    endCode = code;
    window_.Finish();
    return 1;
}

bool FieldHost::MayEnd() {
    if (endCode != 1) return true;
    std::vector<int> candidates = wrongFields;
    for (CWerte* v : values)
        if (window_.HasControl(v->valueId) && window_.HasErrorMark(v->valueId)) candidates.push_back(v->valueId);
    for (int id : candidates) {
        if (!window_.HasControl(id) || !window_.IsEditField(id)) continue;
        const std::string message = window_.ReadFieldValue(id);
        if (message.empty()) continue;
        const auto listed = std::find(wrongFields.begin(), wrongFields.end(), id);
        if (listed != wrongFields.end()) cursor = size_t(listed - wrongFields.begin());
        window_.ShowMessage(1, message + (listed != wrongFields.end() ? NextWrongSuffix() : std::string()));
        window_.FocusControl(id);
        return false;
    }
    return true;
}

long FieldHost::Dispatch(int message, long wParam, long lParam, CWerte* value, const std::string& text) {
    switch (message) {
    case fieldmsg::Proposal: return Proposal(value);
    case fieldmsg::Preset: return Preset();
    case fieldmsg::Unit: return Unit(value);
    case fieldmsg::ValueChanged: return ValueChanged(value);
    case fieldmsg::ShowText: return ShowText(int(wParam), text);
    case fieldmsg::PostEnd: return PostEnd(wParam, lParam);
    case fieldmsg::ShowErrors: return ShowErrors();
    case fieldmsg::NextWrong: return NextWrong();
    case fieldmsg::EndWith: return EndWith(int(wParam));
    default: return 0;
    }
}
