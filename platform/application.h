#pragma once
// The application object: the hidden main window that owns the taskbar button,
// the main message loop, quit requests and the standard error display.

#include <windows.h>

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace platform {

class Form;

class Application {
public:
    // COM for the GUI thread (single-threaded apartment), the common controls
    // and the hidden main window.
    void Initialize();
    void SetTitle(const std::wstring& title);
    HWND Handle() const { return handle_; }

    // Creates a form the way the launcher expects: `reference` already points
    // at the new form while its constructor runs, so code called from the
    // constructor can reach the form through it. The first form becomes the
    // main form.
    template <typename T>
    void CreateForm(T*& reference);

    // Shows the main form and runs the message loop until a quit request has
    // been taken from the queue; then destroys the forms.
    void Run();

    // A quit request: posts a quit message and stops nothing that is running.
    void Terminate();
    // Handles every pending message. A quit message taken here marks the
    // application as ending; the main loop stops once control is back in it.
    void ProcessMessages();
    bool Terminated() const { return terminated_; }

    // The standard error display: a stop-icon box owned by the hidden window,
    // captioned with the application title, while the forms are disabled and
    // not top-most.
    void ShowException(const std::exception& error);

    ~Application();

private:
    void AddForm(Form* form);
    void HandleMessage(const MSG& message);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HWND handle_ = nullptr;
    bool terminated_ = false;
    bool com_initialized_ = false;
    std::vector<std::unique_ptr<Form>> forms_;
    Form* main_form_ = nullptr;
};

// The one application object of the process.
Application& App();

// Runs an event handler; an exception that leaves it goes to the standard
// error display instead of unwinding through the system's callback.
template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& error) {
        App().ShowException(error);
    }
}

template <typename T>
void Application::CreateForm(T*& reference) {
    void* storage = ::operator new(sizeof(T));
    reference = static_cast<T*>(storage);
    try {
        new (storage) T();
    } catch (...) {
        reference = nullptr;
        ::operator delete(storage);
        throw;
    }
    AddForm(reference);
}

}  // namespace platform
