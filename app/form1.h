// Form1: the one window's event procedures, split by subsystem across app/, frame/, caption/
// and resize/. State lives in the host's element and window properties, never here.
#pragma once

#include <string>

#include "host/host.h"

namespace tarvik {

class Form1 final : public FormEvents {
public:
    explicit Form1(Host& host) : host_(host) {}

    // --- Events from the host, dispatched to the procedures below -------------------------
    void OnLoad() override;
    void OnResize() override;
    void OnFormMouseMove(const MouseArgs& args) override;
    void OnMouseDown(Elem elem, const MouseArgs& args) override;
    void OnMouseMove(Elem elem, const MouseArgs& args) override;
    void OnMouseUp(Elem elem, const MouseArgs& args) override;
    void OnClick(Elem elem) override;
    void OnDblClick(Elem elem) override;
    void OnWindowStateChanged() override;
    bool HandlesDblClick(Elem elem) const override;

    // --- Start-up (app/startup.cpp) -------------------------------------------------------
    void Form_Load();

    // --- Frame (frame/) -------------------------------------------------------------------
    void Form_Resize();
    void RMe();

    // --- Caption button looks (caption/button_looks.cpp) ----------------------------------
    void Immin_MouseDown();
    void Immin_MouseMove();
    void Immin_MouseUp();
    void Imclose_MouseDown();
    void Imclose_MouseMove();
    void Imclose_MouseUp();
    void Immax_MouseDown();
    void Immax_MouseMove();
    void Immax_MouseUp();
    void Form_MouseMove();

    // --- Window commands (caption/commands.cpp) -------------------------------------------
    void Immin_Click();
    void Immax_Click();
    void Imclose_Click();
    // A state the system changed on its own gets the look the maximize command gives that state.
    void FollowWindowState();

    // --- Title bar (caption/title_bar.cpp) ------------------------------------------------
    void IMBar_MouseDown(int button);
    void IMBar_DblClick();

    // --- Resize grips (resize/grips.cpp) --------------------------------------------------
    void Pbottom_MouseDown();
    void Pbottom_MouseMove();
    void Pbottom_MouseUp();
    void Pright_MouseDown();
    void Pright_MouseMove();
    void Pright_MouseUp();
    void Pjiao_MouseDown();
    void Pjiao_MouseMove();
    void Pjiao_MouseUp();

private:
    // Runs one statement of a continue-on-error procedure: a failure abandons just that statement.
    template <class F>
    static void Step(F&& statement) {
        try {
            statement();
        } catch (const Failure&) {
        }
    }
    // Shared by the minimize and close buttons: the press, move and release looks.
    void ButtonDown(Elem button, Elem pressed);
    void ButtonMove(Elem button, Elem hover);
    void ButtonUp(Elem button);
    // Shared by the three grips: follow the pointer while armed.
    void GripMove(Elem grip, bool width, bool height);
    // Paints the restore glyph at rest into Immax's square on the face.
    void PaintRestoreFace();
    // What the maximize command does after its state change, for a normal and a maximized window.
    void ShowNormalLook();
    void ShowMaximizedLook();

    Host& host_;
};

}  // namespace tarvik
