// A list of text entries shown as a platform pop-up menu. The chosen entry
// becomes the value (its index) of the menu that holds it, which may be a
// nested sub-menu. Entry texts carry their kind as a prefix: "-" separator,
// "-M" sub-menu, "-G" greyed, "-T" title.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/CParamDisplay.h"
#include "platform/platform.h"

namespace gui
{

// Where the window system must not be held (X11) the pop-up stays open after
// the click returns, and the choice is applied when the user makes it.
class COptionMenu : public CParamDisplay, private platform::PopupMenuListener
{
  public:
    static constexpr std::int32_t kMaxEntries = 1024;
    static constexpr std::int32_t kMaxEntryLength = 255;

    COptionMenu(const CViewRect& size, CControlListener* listener, std::int32_t tag,
                CBitmap* background = nullptr, std::int32_t style = 0);
    ~COptionMenu() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons) override;
    // Closes a menu still open, without a choice.
    void loseFocus(CDrawContext* context) override;
    // Shows the menu; the choice is applied when made, at once for a modal one.
    void takeFocus(CDrawContext* context) override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* name) const override;
    // Selects the entry at the integer part of `val`; out of range: nothing.
    void setValue(float val) override;

    // index -1 appends; a numbered menu prefixes the entry's position.
    virtual bool addEntry(const char* text, std::int32_t index = -1);
    // Appends an entry that opens `subMenu` (retained).
    virtual bool addEntry(COptionMenu* subMenu, const char* title);
    // -1 when none; `text` (256 bytes, may be null) receives the stored text.
    // Without separator counting, separators and titles are not counted.
    virtual std::int32_t getCurrent(char* text = nullptr, bool countSeparator = true) const;
    virtual bool setCurrent(std::int32_t index, bool countSeparator = true);
    virtual bool getEntry(std::int32_t index, char* text) const;
    virtual bool setEntry(std::int32_t index, const char* text);
    virtual bool removeEntry(std::int32_t index);
    virtual bool removeAllEntry();
    virtual std::int32_t getNbEntries() const { return static_cast<std::int32_t>(entries.size()); }
    virtual std::int32_t getIndex(const char* text) const;
    virtual bool checkEntry(std::int32_t index, bool state);
    virtual bool checkEntryAlone(std::int32_t index);
    virtual bool isCheckEntry(std::int32_t index) const;
    // n > 0 breaks the menu into columns of n items; -1: one column.
    virtual void setNbItemsPerColumn(std::int32_t n) { nbItemsPerColumn = n; }
    virtual std::int32_t getNbItemsPerColumn() const { return nbItemsPerColumn; }
    // 2, 3 or 4 numbers the entries added from now on ("1 ", "01 ", "001 ").
    virtual void setPrefixNumbers(std::int32_t width);

    const std::string& entryText(std::int32_t index) const
    {
        return entries[static_cast<std::size_t>(index)];
    }
    std::int32_t getNbSubMenus() const { return static_cast<std::int32_t>(subMenus.size()); }
    COptionMenu* getSubMenu(std::int32_t index) const;
    // The command of the last selection and the menu it was made in.
    std::int32_t getLastResult() const { return lastResult; }
    COptionMenu* getLastItemMenu(std::int32_t& index) const;

  protected:
    // Who owns each command number of a built menu.
    struct CommandOwner
    {
        COptionMenu* menu;
        std::int32_t index;
    };
    // Appends this menu's items; `owners` grows by this menu's entries and then
    // by those of the sub-menus it attaches, depth first.
    void buildMenu(std::vector<platform::MenuItem>& items, std::vector<CommandOwner>& owners,
                   std::vector<const COptionMenu*>& path) const;
    CViewPoint popupPosition(CDrawContext* context) const;
    void applyChoice(CDrawContext* context, const CommandOwner& owner);
    bool isSeparatorOrTitle(std::int32_t index) const;
    bool validIndex(std::int32_t index) const { return index >= 0 && index < getNbEntries(); }
    std::string numbered(const char* marker, std::int32_t position, const char* text) const;
    void onMenuClosed(std::int32_t command) override;

    std::vector<std::string> entries;
    std::vector<COptionMenu*> subMenus;
    std::vector<std::uint8_t> checks;
    std::int32_t currentIndex = -1;
    std::int32_t lastButtons = buttonRight;
    std::int32_t nbItemsPerColumn = -1;
    std::int32_t lastResult = -1;
    std::int32_t prefixNumbers = 0;
    COptionMenu* lastMenu = nullptr;
    bool menuShown = false;
    std::unique_ptr<platform::PopupMenu> openMenu;
    std::vector<CommandOwner> shownOwners; // of the menu on screen
    CDrawContext* clickContext = nullptr;  // while a modal menu runs inside the click
};

} // namespace gui
