#pragma once
// The screenshot tour for the user guide: the real client, logged in to a
// demo server, walks through its windows and saves each as a PNG. Each
// screen area adds its own steps in its own file with DALVERO_TOUR_STEP;
// steps run in the order of their numbers, on one logged-in client.

#include <functional>
#include <string>

class QWidget;

namespace dalvero {
struct ClientSession;
class TForm1;
}  // namespace dalvero

namespace dalvero::tour {

class TourContext {
public:
    TourContext(ClientSession& session, TForm1& mainWindow, std::string folder)
        : session(session), main(mainWindow), folder_(std::move(folder)) {}

    ClientSession& session;
    TForm1& main;

    // Saves the window as folder/name.png once pending events are handled.
    void Shot(QWidget& window, const std::string& name) const;
    // Runs `open`, which shows a modal dialog; the dialog is photographed as
    // name.png when it is up and then closed with Escape, so `open` returns.
    void ShotModal(const std::function<void()>& open, const std::string& name) const;

private:
    std::string folder_;
};

using TourStep = std::function<void(TourContext&)>;

// Adds a step; returns a value so that registration can initialise a static.
int AddStep(int order, const std::string& name, TourStep step);

}  // namespace dalvero::tour

#define DALVERO_TOUR_CONCAT_(a, b) a##b
#define DALVERO_TOUR_CONCAT(a, b) DALVERO_TOUR_CONCAT_(a, b)
// DALVERO_TOUR_STEP(20, "case list") { ... ctx.Shot(...); }
#define DALVERO_TOUR_STEP(order, name)                                                              \
    static void DALVERO_TOUR_CONCAT(tourStep_, __LINE__)(::dalvero::tour::TourContext & ctx);        \
    [[maybe_unused]] static const int DALVERO_TOUR_CONCAT(tourStepAdded_, __LINE__) =                \
        ::dalvero::tour::AddStep(order, name, &DALVERO_TOUR_CONCAT(tourStep_, __LINE__));            \
    static void DALVERO_TOUR_CONCAT(tourStep_, __LINE__)([[maybe_unused]] ::dalvero::tour::TourContext & ctx)
