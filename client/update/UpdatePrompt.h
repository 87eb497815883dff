#pragma once

// The questions and messages of a client update. The window layers show them as message
// boxes (marshalled to their own thread, waiting for the answer); the command-line remote
// answers on its own.

#include <string>

namespace vantor::client {

class UpdatePrompt {
public:
    virtual ~UpdatePrompt() = default;
    // A yes/no question; true for yes.
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // "Downloading update...", "Applying update...": in the connect screen's status when it
    // is shown, else in the status line.
    virtual void ShowProgress(const std::string& text) = 0;
    virtual void ShowError(const std::string& text, const std::string& title) = 0;
};

inline constexpr char kUpdateQuestionText[] =
    "A new client version is available. Would you like to upgrade now?";
inline constexpr char kUpdateQuestionTitle[] = "Update Available";
inline constexpr char kDownloadingUpdateText[] = "Downloading update...";
inline constexpr char kApplyingUpdateText[] = "Applying update...";
inline constexpr char kUpdateErrorTitle[] = "Error Applying Update";

}  // namespace vantor::client
