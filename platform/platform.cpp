#include "platform/platform.h"

namespace platform
{

namespace
{

// The outcome of a dialog that ran to its end before the task was made.
class FinishedDialog final : public DialogTask
{
  public:
    explicit FinishedDialog(std::optional<std::string> chosen) : path(std::move(chosen)) {}
    bool poll() override { return true; }
    std::optional<std::string> chosenPath() const override { return path; }

  private:
    std::optional<std::string> path;
};

} // namespace

std::unique_ptr<PopupMenu> Window::openPopupMenu(const Menu& menu, Point screen, bool trackRight,
                                                 PopupMenuListener& listener)
{
    listener.onMenuClosed(popupMenu(menu, screen, trackRight));
    return nullptr;
}

std::unique_ptr<DialogTask> Platform::startFileChooser(const FileChooserRequest& request, Window* owner)
{
    return std::make_unique<FinishedDialog>(chooseFile(request, owner));
}

std::unique_ptr<DialogTask> Platform::startMessage(const MessageRequest& request, Window*)
{
    showMessage(request);
    return std::make_unique<FinishedDialog>(std::nullopt);
}

} // namespace platform
