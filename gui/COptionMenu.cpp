#include "gui/COptionMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "platform/TextEncoding.h"
#include "platform/platform.h"

namespace gui
{

namespace
{
constexpr std::int32_t kMenuColumnLimit = 160; // menus this long get no column breaks
constexpr std::int32_t kMaxCommand = 0xFFFF;   // menu commands are 16-bit

bool isSeparatorText(const std::string& s)
{
    return s == "-";
}
bool hasMarker(const std::string& s, char kind)
{
    return s.size() >= 2 && s[0] == '-' && s[1] == kind;
}

std::string capped(std::string s)
{
    if (s.size() > static_cast<std::size_t>(COptionMenu::kMaxEntryLength))
        s.resize(COptionMenu::kMaxEntryLength);
    return s;
}

void copyOut(const std::string& s, char* text)
{
    const std::size_t n = std::min<std::size_t>(s.size(), kTextBufferSize - 1);
    std::memcpy(text, s.data(), n);
    text[n] = '\0';
}
} // namespace

COptionMenu::COptionMenu(const CViewRect& rect, CControlListener* menuListener, std::int32_t menuTag,
                         CBitmap* background, std::int32_t menuStyle)
    : CParamDisplay(rect, background, menuStyle)
{
    listener = menuListener;
    tag = menuTag;
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
}

bool COptionMenu::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "COptionMenu") == 0) || CParamDisplay::isTypeOf(name);
}

std::string COptionMenu::numbered(const char* marker, std::int32_t position, const char* text) const
{
    static constexpr const char* kFormats[] = {"%s%1d %s", "%s%02d %s", "%s%03d %s"};
    if (prefixNumbers < 2 || prefixNumbers > 4) return capped(std::string(marker) + text);
    char buffer[kTextBufferSize + 8];
    std::snprintf(buffer, sizeof buffer, kFormats[prefixNumbers - 2], marker, position + 1, text);
    return capped(buffer);
}

bool COptionMenu::addEntry(const char* text, std::int32_t index)
{
    const std::int32_t count = getNbEntries();
    if (count >= kMaxEntries) return false;
    std::int32_t position = count;
    if (index >= 0)
    {
        position = std::min(index, count);
        if (currentIndex >= index) ++currentIndex;
    }
    const std::string entry = text ? numbered("", position, text) : std::string();
    entries.insert(entries.begin() + position, entry);
    // Check flags belong to positions, not to texts: a new slot comes at the end.
    checks.push_back(0);
    if (currentIndex < 0) currentIndex = 0;
    return true;
}

bool COptionMenu::addEntry(COptionMenu* subMenu, const char* title)
{
    // A menu inside itself would open forever and never be freed.
    if (getNbEntries() >= kMaxEntries || !subMenu || !title || subMenu == this) return false;
    entries.push_back(numbered("-M", getNbEntries(), title));
    checks.push_back(0);
    subMenus.push_back(subMenu);
    subMenu->retain();
    if (currentIndex < 0) currentIndex = 0;
    return true;
}

bool COptionMenu::isSeparatorOrTitle(std::int32_t index) const
{
    const std::string& s = entries[static_cast<std::size_t>(index)];
    return isSeparatorText(s) || hasMarker(s, 'T');
}

std::int32_t COptionMenu::getCurrent(char* text, bool countSeparator) const
{
    if (!validIndex(currentIndex)) return -1;
    if (text) copyOut(entries[static_cast<std::size_t>(currentIndex)], text);
    if (countSeparator) return currentIndex;
    std::int32_t real = 0;
    for (std::int32_t i = 0; i < currentIndex; ++i)
        if (!isSeparatorOrTitle(i)) ++real;
    return real;
}

bool COptionMenu::setCurrent(std::int32_t index, bool countSeparator)
{
    if (!validIndex(index)) return false;
    if (countSeparator)
    {
        if (isSeparatorText(entries[static_cast<std::size_t>(index)])) return false;
        currentIndex = index;
    }
    else
    {
        std::int32_t position = getNbEntries() - 1;
        for (std::int32_t i = 0, real = 0; i < getNbEntries(); ++i)
        {
            if (isSeparatorOrTitle(i)) continue;
            if (real++ == index)
            {
                position = i;
                break;
            }
        }
        currentIndex = position;
    }
    if (style & kCheckStyle) checks[static_cast<std::size_t>(currentIndex)] ^= 1;
    setDirty();
    return true;
}

void COptionMenu::setValue(float val)
{
    if (!(std::fabs(val) < 1.0e9f)) return;
    const auto index = static_cast<std::int32_t>(val);
    if (!validIndex(index)) return;
    currentIndex = index;
    if (style & kCheckStyle) checks[static_cast<std::size_t>(index)] ^= 1;
    value = val;
    setDirty();
}

bool COptionMenu::getEntry(std::int32_t index, char* text) const
{
    if (!validIndex(index)) return false;
    if (text) copyOut(entries[static_cast<std::size_t>(index)], text);
    return true;
}

bool COptionMenu::setEntry(std::int32_t index, const char* text)
{
    if (!validIndex(index)) return false;
    if (text) entries[static_cast<std::size_t>(index)] = capped(text);
    return true;
}

bool COptionMenu::removeEntry(std::int32_t index)
{
    if (!validIndex(index)) return false;
    entries.erase(entries.begin() + index);
    checks.erase(checks.begin() + index);
    if (currentIndex >= index) --currentIndex;
    if (entries.empty()) currentIndex = -1;
    return true;
}

bool COptionMenu::removeAllEntry()
{
    entries.clear();
    checks.clear();
    for (COptionMenu* subMenu : subMenus)
        subMenu->release();
    subMenus.clear();
    currentIndex = -1;
    lastMenu = nullptr;
    return true;
}

std::int32_t COptionMenu::getIndex(const char* text) const
{
    if (!text) return -1;
    for (std::int32_t i = 0; i < getNbEntries(); ++i)
        if (entries[static_cast<std::size_t>(i)] == text) return i;
    return -1;
}

bool COptionMenu::checkEntry(std::int32_t index, bool state)
{
    if (!validIndex(index)) return false;
    checks[static_cast<std::size_t>(index)] = state ? 1 : 0;
    return true;
}

bool COptionMenu::checkEntryAlone(std::int32_t index)
{
    if (!validIndex(index)) return false;
    std::fill(checks.begin(), checks.end(), std::uint8_t{0});
    checks[static_cast<std::size_t>(index)] = 1;
    return true;
}

bool COptionMenu::isCheckEntry(std::int32_t index) const
{
    return validIndex(index) && checks[static_cast<std::size_t>(index)] != 0;
}

void COptionMenu::setPrefixNumbers(std::int32_t width)
{
    if (width >= 2 && width <= 4) prefixNumbers = width;
}

COptionMenu* COptionMenu::getSubMenu(std::int32_t index) const
{
    return index >= 0 && index < getNbSubMenus() ? subMenus[static_cast<std::size_t>(index)] : nullptr;
}

COptionMenu* COptionMenu::getLastItemMenu(std::int32_t& index) const
{
    index = lastMenu ? static_cast<std::int32_t>(lastMenu->getValue()) : -1;
    return lastMenu;
}

void COptionMenu::buildMenu(std::vector<platform::MenuItem>& items, std::vector<CommandOwner>& owners,
                            std::vector<const COptionMenu*>& path) const
{
    using Kind = platform::MenuItem::Kind;
    const std::int32_t first = static_cast<std::int32_t>(owners.size());
    for (std::int32_t k = 0; k < getNbEntries(); ++k)
        owners.push_back(CommandOwner{const_cast<COptionMenu*>(this), k});
    path.push_back(this);

    const bool columns = getNbEntries() < kMenuColumnLimit && nbItemsPerColumn > 0;
    // Entries are stored 8-bit texts (preset names among them); the system's menus take UTF-8.
    auto shown = [](std::string_view text) { return platform::storedTextToUtf8(text); };
    std::size_t nextSubMenu = 0;
    for (std::int32_t k = 0; k < getNbEntries(); ++k)
    {
        const std::string& s = entries[static_cast<std::size_t>(k)];
        platform::MenuItem item;
        item.command = first + k;
        if (isSeparatorText(s))
        {
            item.kind = Kind::Separator;
            items.push_back(std::move(item));
            continue;
        }
        const auto appended = static_cast<std::int32_t>(items.size());
        item.columnBreak = columns && appended > 0 && appended % nbItemsPerColumn == 0;
        if (hasMarker(s, 'M'))
        {
            if (nextSubMenu >= subMenus.size()) continue;
            const COptionMenu* subMenu = subMenus[nextSubMenu++];
            if (std::find(path.begin(), path.end(), subMenu) != path.end()) continue;
            item.kind = Kind::SubMenu;
            item.text = shown(s.substr(2));
            subMenu->buildMenu(item.items, owners, path);
        }
        else if (hasMarker(s, 'G'))
        {
            item.kind = Kind::Greyed;
            item.text = shown(s.substr(2));
        }
        else if (hasMarker(s, 'T'))
        {
            item.kind = Kind::Title;
            item.text = shown(s.substr(2));
        }
        else
        {
            item.kind = Kind::Command;
            item.text = shown(s);
            item.checked = ((style & kCheckStyle) && checks[static_cast<std::size_t>(k)]) ||
                           ((style & kCheckCurrentStyle) && k == currentIndex);
        }
        items.push_back(std::move(item));
    }
    path.pop_back();
}

CViewPoint COptionMenu::popupPosition(CDrawContext* context) const
{
    CViewPoint where;
    CViewPoint base;
    if (context)
        where = context->offsetScreen;
    else if (parentFrame->getOwnWindow())
    {
        const platform::Point origin = parentFrame->getOwnWindow()->screenOrigin();
        where = CViewPoint{origin.x, origin.y};
        base = where;
    }
    for (CView* parent = parentView;
         parent && parent->notify(const_cast<COptionMenu*>(this), kMsgCheckIfViewContainer) == 1;
         parent = parent->getParentView())
    {
        const CViewPoint origin = parent->getViewSize().topLeft();
        where.offset(origin.h, origin.v);
    }
    where.offset(size.left, (style & kPopupStyle) ? size.top : size.bottom);
    // Everything past the window's origin is logical: out to device pixels.
    const CViewPoint window = context ? context->getWindowOrigin() : base;
    const std::int32_t scale = parentFrame ? parentFrame->getScale() : 1;
    return CViewPoint{window.h + (where.h - window.h) * scale, window.v + (where.v - window.v) * scale};
}

void COptionMenu::takeFocus(CDrawContext* context)
{
    if (!parentFrame) return;
    lastResult = -1;
    lastMenu = nullptr;
    openMenu.reset();

    platform::Menu menu;
    menu.scale = parentFrame->getScale();
    std::vector<const COptionMenu*> path;
    shownOwners.clear();
    buildMenu(menu.items, shownOwners, path);

    platform::Window* window = parentFrame->getOwnWindow();
    if (!window)
    {
        onMenuClosed(-1);
        return;
    }
    const CViewPoint where = popupPosition(context);
    menuShown = true;
    retain(); // a modal menu tells us inside, and the choice may change the view tree
    clickContext = context;
    auto shown = window->openPopupMenu(menu, platform::Point{where.h, where.v},
                                       (lastButtons & buttonRight) != 0, *this);
    clickContext = nullptr;
    if (menuShown) openMenu = std::move(shown);
    release();
}

void COptionMenu::onMenuClosed(std::int32_t command)
{
    openMenu.reset();
    menuShown = false;
    retain();
    const std::vector<CommandOwner> owners = std::move(shownOwners);
    shownOwners.clear();
    if (command >= 0 && command <= kMaxCommand && command < static_cast<std::int32_t>(owners.size()))
        lastResult = command;
    if (lastResult >= 0) applyChoice(clickContext, owners[static_cast<std::size_t>(lastResult)]);
    if (parentFrame) parentFrame->setFocusView(nullptr);
    endEdit();
    release();
}

bool COptionMenu::removed(CView* parent)
{
    openMenu.reset(); // a menu of a view that is gone chooses nothing
    menuShown = false;
    return CParamDisplay::removed(parent);
}

void COptionMenu::applyChoice(CDrawContext* context, const CommandOwner& owner)
{
    CDrawContext* temporary = nullptr;
    if (!context) context = temporary = new CDrawContext(parentFrame, nullptr, parentFrame->getOwnWindow());
    lastMenu = owner.menu;
    owner.menu->setValue(static_cast<float>(owner.index));
    if (listener) listener->valueChanged(context, owner.menu);
    if (temporary) temporary->release();
}

void COptionMenu::mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons)
{
    if (!takesMouse || !parentFrame || !context) return;
    buttons = resolveButtons(context, buttons);
    lastButtons = buttons;
    if (offerModifierClick(context, buttons)) return;
    if (!(buttons & (buttonLeft | buttonRight | modCommand))) return;
    beginEdit();
    takeFocus(context);
}

void COptionMenu::loseFocus(CDrawContext*)
{
    menuShown = false;
    if (!openMenu) return;
    openMenu.reset();
    endEdit();
}

void COptionMenu::draw(CDrawContext* context)
{
    if (!validIndex(currentIndex))
    {
        drawText(context, nullptr);
        return;
    }
    // The number prefix helps finding an entry in the menu; the control shows the name.
    const std::string& s = entries[static_cast<std::size_t>(currentIndex)];
    const std::size_t skip = std::min<std::size_t>(static_cast<std::size_t>(prefixNumbers), s.size());
    drawText(context, s.c_str() + skip);
}

} // namespace gui
