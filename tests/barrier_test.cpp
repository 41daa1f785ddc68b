// The one event barrier: whatever a procedure lets escape, past the dispatcher's own handling of
// unhandled failures, ends the program as an unhandled failure (status 1, one report naming the
// backend), and no exception leaves the event.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "tests/support.h"

namespace tarvik {
namespace {

// Form1 whose MouseDown lets the given throw escape.
class ThrowingForm : public test::FormSpy {
public:
    ThrowingForm(sim::SimHost& host, Form1& form, std::function<void()> escape)
        : FormSpy(host, form), escape_(std::move(escape)) {}
    void OnMouseDown(Elem, const MouseArgs&) override { escape_(); }

private:
    std::function<void()> escape_;
};

TEST(EventBarrierTest, AnythingEscapingAProcedureEndsTheProgramWithOneReport) {
    struct Case {
        const char* what;
        std::function<void()> escape;
        std::string message;
    };
    const Case cases[] = {
        {"a Failure the procedure did not name", [] { throw Failure("sim: Move failed"); },
         "Tarvik (sim): unhandled failure in an event: sim: Move failed"},
        {"a standard exception", [] { throw std::bad_alloc(); }, "Tarvik (sim): unhandled failure in an event: std::bad_alloc"},
        {"anything else", [] { throw 42; }, "Tarvik (sim): unhandled failure in an event: unknown failure"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimHost host(1024, 768);
        Form1 form(host);
        ThrowingForm throwing(host, form, c.escape);
        host.Attach(&throwing);
        host.Start();
        host.PointerTo(host.PixelLeft() + 60, host.PixelTop() + 8);
        EXPECT_NO_THROW(host.ButtonDown(kLeftButton, 0));
        EXPECT_FALSE(host.Running()) << "expected the program ended";
        EXPECT_EQ(host.ExitStatus(), 1);
        EXPECT_EQ(host.FailureMessage(), c.message);
    }
}

}  // namespace
}  // namespace tarvik
