// The messages between the input fields and their dialog or form view,
// numbered as offsets above the first user message.
#pragma once

namespace fieldmsg {
enum : int {
    Proposal = 0x1,       // F3: load the value's proposal
    Preset = 0x2,         // F2: store the inputs as defaults
    Unit = 0x3,           // F5: choose another unit
    InputSwitched = 0x4,  // F6: the free-text window took over
    ValueChanged = 0x5,
    ShowText = 0x6,       // wParam 0 prompt, 1 error
    PostEnd = 0x7,
    ComboLeft = 0x8,
    Choice = 0x9,         // F4
    ComboEntered = 0xA,
    FieldLeft = 0xB,
    SkipLeaveCheck = 0xC,
    SpinStep = 0xD,
    NavigationKey = 0xE,
    ShowErrors = 0xF,
    NextWrong = 0x10,     // F8
    EndWith = 0x11,
    SetByProgram = 0x14,
    CharTyped = 0x1B,
    ListKeyUp = 0x20,
    ItemSubstitute = 0x28,
    // The help hit test: the help context of a field or its host.
    HelpContext = 0x1000,
};
// The answer to SetByProgram for a value the program sets.
constexpr long SetByProgramAnswer = 4711;
} // namespace fieldmsg
