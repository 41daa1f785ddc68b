// Event dispatch: which procedure handles which element's event.
#include "app/form1.h"

#include <string>

#include "host/design.h"

namespace tarvik {

namespace {

// Runs a procedure that traps nothing: a failure leaves it, named, for the runtime to report.
template <class F>
void Run(const char* element, const char* event, F&& procedure) {
    try {
        procedure();
    } catch (const Failure& failure) {
        throw UnhandledFailure(std::string(element) + "_" + event, failure.what());
    }
}

}  // namespace

void Form1::OnLoad() { Form_Load(); }
void Form1::OnResize() { Form_Resize(); }
void Form1::OnFormMouseMove(const MouseArgs&) { Run("Form", "MouseMove", [&] { Form_MouseMove(); }); }

void Form1::OnMouseDown(Elem elem, const MouseArgs& args) {
    const char* name = ElemName(elem);
    switch (elem) {
        case Elem::Immin: return Run(name, "MouseDown", [&] { Immin_MouseDown(); });
        case Elem::Immax: return Run(name, "MouseDown", [&] { Immax_MouseDown(); });
        case Elem::Imclose: return Run(name, "MouseDown", [&] { Imclose_MouseDown(); });
        case Elem::IMBar: return Run(name, "MouseDown", [&] { IMBar_MouseDown(args.button); });
        case Elem::Pbottom: return Run(name, "MouseDown", [&] { Pbottom_MouseDown(); });
        case Elem::Pright: return Run(name, "MouseDown", [&] { Pright_MouseDown(); });
        case Elem::Pjiao: return Run(name, "MouseDown", [&] { Pjiao_MouseDown(); });
        default: return;
    }
}

void Form1::OnMouseMove(Elem elem, const MouseArgs&) {
    const char* name = ElemName(elem);
    switch (elem) {
        case Elem::Immin: return Run(name, "MouseMove", [&] { Immin_MouseMove(); });
        case Elem::Immax: return Run(name, "MouseMove", [&] { Immax_MouseMove(); });
        case Elem::Imclose: return Run(name, "MouseMove", [&] { Imclose_MouseMove(); });
        // The grips continue on error themselves.
        case Elem::Pbottom: return Pbottom_MouseMove();
        case Elem::Pright: return Pright_MouseMove();
        case Elem::Pjiao: return Pjiao_MouseMove();
        default: return;
    }
}

void Form1::OnMouseUp(Elem elem, const MouseArgs&) {
    const char* name = ElemName(elem);
    switch (elem) {
        case Elem::Immin: return Run(name, "MouseUp", [&] { Immin_MouseUp(); });
        case Elem::Immax: return Run(name, "MouseUp", [&] { Immax_MouseUp(); });
        case Elem::Imclose: return Run(name, "MouseUp", [&] { Imclose_MouseUp(); });
        case Elem::Pbottom: return Run(name, "MouseUp", [&] { Pbottom_MouseUp(); });
        case Elem::Pright: return Run(name, "MouseUp", [&] { Pright_MouseUp(); });
        case Elem::Pjiao: return Run(name, "MouseUp", [&] { Pjiao_MouseUp(); });
        default: return;
    }
}

void Form1::OnClick(Elem elem) {
    const char* name = ElemName(elem);
    switch (elem) {
        case Elem::Immin: return Run(name, "Click", [&] { Immin_Click(); });
        case Elem::Immax: return Run(name, "Click", [&] { Immax_Click(); });
        case Elem::Imclose: return Run(name, "Click", [&] { Imclose_Click(); });
        default: return;
    }
}

void Form1::OnDblClick(Elem elem) {
    if (elem == Elem::IMBar) Run(ElemName(elem), "DblClick", [&] { IMBar_DblClick(); });
}

// The title bar alone has a DblClick procedure; every other element gets plain presses.
bool Form1::HandlesDblClick(Elem elem) const { return elem == Elem::IMBar; }

void Form1::OnWindowStateChanged() {
    try {
        FollowWindowState();
    } catch (const Failure& failure) {
        throw UnhandledFailure("FollowWindowState", failure.what());
    }
}

}  // namespace tarvik
