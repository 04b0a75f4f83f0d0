#pragma once

#include <QApplication>

class Prompts;

// The application's one error handler: an exception thrown while an event
// is handled is shown through the prompts instead of crossing the event
// loop.
class ErrorReportingApplication : public QApplication {
public:
    ErrorReportingApplication(int& argc, char** argv);

    void setPrompts(Prompts* prompts) { prompts_ = prompts; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Loads Qt's own Turkish texts, so standard buttons and dialogs speak
    // Turkish.
    void installTurkishTranslation();

private:
    Prompts* prompts_ = nullptr;
};
