#include "platform/x11/X11PopupMenu.h"

#include <X11/keysym.h>

#include <algorithm>
#include <utility>

#include "platform/x11/X11Keys.h"
#include "raster/CPixelSurface.h"

namespace platform::x11
{

namespace
{

using Kind = MenuItem::Kind;

constexpr int kBorder = 3;     // frame around the rows
constexpr int kCheckArea = 22; // left of the text: check marks
constexpr int kArrowArea = 22; // right of the text: sub-menu arrows
constexpr int kSeparatorHeight = 7;
constexpr int kMinimumColumn = 90;
constexpr int kPollMs = 30;

constexpr gui::Pixel kBackground = gui::makePixel(0xF2, 0xF2, 0xF2);
constexpr gui::Pixel kFrame = gui::makePixel(0x80, 0x80, 0x80);
constexpr gui::Pixel kText = gui::makePixel(0x10, 0x10, 0x10);
constexpr gui::Pixel kGreyedText = gui::makePixel(0x90, 0x90, 0x90);
constexpr gui::Pixel kHighlight = gui::makePixel(0x33, 0x6E, 0xC8);
constexpr gui::Pixel kHighlightText = gui::makePixel(0xFF, 0xFF, 0xFF);
constexpr gui::Pixel kSeparator = gui::makePixel(0xC4, 0xC4, 0xC4);

bool selectable(const MenuItem& item)
{
    return item.kind == Kind::Command || item.kind == Kind::SubMenu;
}

} // namespace

X11PopupMenu::X11PopupMenu(X11Platform& system, Menu items, Point screen, bool openRight,
                           PopupMenuListener* receiver)
    : platform(system), display(system.display()), menu(std::move(items)), listener(receiver), origin(screen),
      trackRight(openRight)
{
    text.fontId = fontIdFor(12, false);
    text.scale = std::clamp(menu.scale, 1, 2);
}

X11PopupMenu::~X11PopupMenu()
{
    closeAll();
}

bool X11PopupMenu::open()
{
    if (menu.items.empty() || modal) return false;
    // Our older windows take no input while the menu is up.
    modal.emplace(platform);
    polledButtons = platform.pointerState().buttons;
    openLevel(menu.items, origin, nullptr);
    grab();
    XFlush(display);
    return true;
}

int32_t X11PopupMenu::run()
{
    listener = nullptr;
    if (!open()) return -1;
    while (!done)
    {
        platform.pumpModal(kPollMs);
        if (!pointerGrabbed) dismissIfClickedOutside();
    }
    closeAll();
    return result;
}

void X11PopupMenu::closeAll()
{
    ungrab();
    if (!levels.empty())
    {
        closeLevelsAfter(0);
        platform.removeTarget(levels[0]->window);
        XDestroyWindow(display, levels[0]->window);
        levels.clear();
        XFlush(display);
    }
    modal.reset();
}

void X11PopupMenu::afterDispatch()
{
    if (!listener) return;
    if (!done && !pointerGrabbed) dismissIfClickedOutside();
    if (!done) return;
    closeAll();
    PopupMenuListener* receiver = std::exchange(listener, nullptr);
    receiver->onMenuClosed(result); // may destroy this menu: nothing after it
}

// --- Levels ------------------------------------------------------------------------

void X11PopupMenu::layout(Level& level, const std::vector<MenuItem>& items) const
{
    const int rowHeight = textHeight(text) + px(6);
    std::vector<std::vector<size_t>> columns(1);
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (items[i].columnBreak && !columns.back().empty()) columns.emplace_back();
        columns.back().push_back(i);
    }
    int x = px(kBorder);
    int height = 0;
    level.rows.assign(items.size(), Row{});
    for (const auto& column : columns)
    {
        int width = px(kMinimumColumn);
        for (size_t i : column)
            width = std::max(width, px(kCheckArea) + textWidth(text, items[i].text) + px(kArrowArea));
        int y = px(kBorder);
        for (size_t i : column)
        {
            const int h = items[i].kind == Kind::Separator ? px(kSeparatorHeight) : rowHeight;
            level.rows[i] = Row{&items[i], Rect{x, y, x + width, y + h}};
            y += h;
        }
        height = std::max(height, y);
        x += width;
    }
    level.screen = Rect{0, 0, x + px(kBorder), height + px(kBorder)};
}

void X11PopupMenu::openLevel(const std::vector<MenuItem>& items, Point at, const Rect* ownerRow)
{
    auto level = std::make_unique<Level>(*this);
    layout(*level, items);
    const Size screen = platform.screenSize();
    const int w = level->screen.width();
    const int h = level->screen.height();
    int x = at.x;
    int y = at.y;
    if (ownerRow && x + w > screen.width) // no room on the right: open to the left
        x = ownerRow->left - w + px(kBorder);
    x = std::clamp(x, 0, std::max(0, screen.width - w));
    y = std::clamp(y, 0, std::max(0, screen.height - h));
    level->screen = Rect{x, y, x + w, y + h};

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    attributes.cursor = platform.cursorFor(Cursor::Arrow);
    level->window =
        XCreateWindow(display, platform.root(), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                      CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWEventMask | CWCursor, &attributes);
    platform.addTarget(level->window, *level);
    level->image = std::make_unique<X11Image>(platform, level->window, Size{w, h});
    XMapRaised(display, level->window);
    levels.push_back(std::move(level));
    draw(*levels.back());
}

void X11PopupMenu::closeLevelsAfter(size_t index)
{
    while (levels.size() > index + 1)
    {
        Level& last = *levels.back();
        platform.removeTarget(last.window);
        last.image.reset();
        XDestroyWindow(display, last.window);
        levels.pop_back();
    }
    if (index < levels.size() && levels[index]->openRow >= 0)
    {
        levels[index]->openRow = -1;
        draw(*levels[index]);
    }
}

void X11PopupMenu::openSubMenuOf(size_t levelIndex, int row, bool selectFirst)
{
    Level& level = *levels[levelIndex];
    if (level.openRow == row) return;
    closeLevelsAfter(levelIndex);
    const Row& owner = level.rows[static_cast<size_t>(row)];
    if (owner.item->items.empty()) return;
    level.openRow = row;
    const Rect ownerOnScreen{owner.rect.left + level.screen.left, owner.rect.top + level.screen.top,
                             owner.rect.right + level.screen.left, owner.rect.bottom + level.screen.top};
    openLevel(owner.item->items, Point{ownerOnScreen.right - px(kBorder), ownerOnScreen.top - px(kBorder)},
              &ownerOnScreen);
    if (selectFirst) moveHot(*levels.back(), 1);
}

void X11PopupMenu::grab()
{
    const ::Window window = levels[0]->window;
    const unsigned int mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    // The window must be viewable first; the server may need a moment.
    for (int attempt = 0; attempt < 20 && !(pointerGrabbed && keyboardGrabbed); ++attempt)
    {
        if (!pointerGrabbed)
            pointerGrabbed = XGrabPointer(display, window, False, mask, GrabModeAsync, GrabModeAsync, None,
                                          platform.cursorFor(Cursor::Arrow), CurrentTime) == GrabSuccess;
        if (!keyboardGrabbed)
            keyboardGrabbed = XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync,
                                            CurrentTime) == GrabSuccess;
        if (!(pointerGrabbed && keyboardGrabbed)) platform.sleep(5);
    }
}

void X11PopupMenu::ungrab()
{
    if (pointerGrabbed) XUngrabPointer(display, CurrentTime);
    if (keyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
    pointerGrabbed = keyboardGrabbed = false;
}

// --- Drawing ---------------------------------------------------------------------

void X11PopupMenu::draw(Level& level)
{
    const PixelSpan span = level.image->pixels();
    gui::CPixelSurface surface(span.pixels, span.width, span.height, span.stride);
    const gui::CViewRect all = surface.bounds();
    surface.fill(all, kFrame, all);
    surface.fill(gui::CViewRect{px(1), px(1), all.right - px(1), all.bottom - px(1)}, kBackground, all);
    for (size_t i = 0; i < level.rows.size(); ++i)
        drawRow(surface, level.rows[i],
                static_cast<int>(i) == level.hot || static_cast<int>(i) == level.openRow);
    level.image->present(Rect{0, 0, span.width, span.height});
}

void X11PopupMenu::drawRow(gui::CPixelSurface& surface, const Row& row, bool hot) const
{
    const MenuItem& item = *row.item;
    const gui::CViewRect r{row.rect.left, row.rect.top, row.rect.right, row.rect.bottom};
    const gui::CViewRect clip = surface.bounds();
    if (item.kind == Kind::Separator)
    {
        const int y = (r.top + r.bottom) / 2;
        surface.fill(gui::CViewRect{r.left + px(2), y, r.right - px(2), y + px(1)}, kSeparator, clip);
        return;
    }
    hot = hot && selectable(item);
    if (hot) surface.fill(r, kHighlight, clip);
    const gui::Pixel colour = hot ? kHighlightText : item.kind == Kind::Greyed ? kGreyedText : kText;
    const int top = r.top + (r.height() - textHeight(text)) / 2;
    drawText(surface, r, r.left + px(kCheckArea), top, text, item.text, colour);
    const int mid = (r.top + r.bottom) / 2;
    if (item.checked)
    {
        surface.line(r.left + px(6), mid, r.left + px(9), mid + px(3), px(2), colour, r);
        surface.line(r.left + px(9), mid + px(3), r.left + px(16), mid - px(4), px(2), colour, r);
    }
    if (item.kind == Kind::SubMenu)
    {
        for (int i = 0; i < px(4); ++i) // a small triangle pointing right
            surface.fill(gui::CViewRect{r.right - px(14) + i, mid - px(3) + i, r.right - px(14) + i + 1,
                                        mid + px(4) - i},
                         colour, r);
    }
}

// --- Input -------------------------------------------------------------------------

bool X11PopupMenu::hit(int x, int y, size_t& levelIndex, int& row) const
{
    for (size_t k = levels.size(); k-- > 0;)
    {
        const Level& level = *levels[k];
        if (x < level.screen.left || x >= level.screen.right || y < level.screen.top ||
            y >= level.screen.bottom)
            continue;
        levelIndex = k;
        row = -1;
        const Point local{x - level.screen.left, y - level.screen.top};
        for (size_t i = 0; i < level.rows.size(); ++i)
        {
            const Rect& r = level.rows[i].rect;
            if (local.x >= r.left && local.x < r.right && local.y >= r.top && local.y < r.bottom)
                row = static_cast<int>(i);
        }
        return true;
    }
    return false;
}

void X11PopupMenu::handleEvent(const XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        for (auto& level : levels)
            if (level->window == event.xexpose.window && event.xexpose.count == 0)
                level->image->present(Rect{0, 0, level->screen.width(), level->screen.height()});
        break;
    case MotionNotify:
        onMotion(event.xmotion.x_root, event.xmotion.y_root);
        break;
    case ButtonPress:
        onPress(event.xbutton.x_root, event.xbutton.y_root, event.xbutton.button);
        break;
    case ButtonRelease:
        onRelease(event.xbutton.x_root, event.xbutton.y_root, event.xbutton.button);
        break;
    case KeyPress:
        onKey(keysymOf(event.xkey));
        break;
    default:
        break;
    }
}

void X11PopupMenu::onMotion(int x, int y)
{
    size_t k = 0;
    int row = -1;
    if (!hit(x, y, k, row)) return;
    armed = armed || row >= 0;
    Level& level = *levels[k];
    const bool enabled = row >= 0 && selectable(*level.rows[static_cast<size_t>(row)].item);
    if (level.openRow >= 0 && row != level.openRow && enabled) closeLevelsAfter(k);
    if (level.hot != (enabled ? row : -1))
    {
        level.hot = enabled ? row : -1;
        draw(level);
    }
    if (enabled && level.rows[static_cast<size_t>(row)].item->kind == Kind::SubMenu)
        openSubMenuOf(k, row, false);
}

void X11PopupMenu::onPress(int x, int y, unsigned button)
{
    if (button > 3) return; // wheel notches neither choose nor dismiss
    size_t k = 0;
    int row = -1;
    if (!hit(x, y, k, row))
    {
        done = true; // a click outside dismisses the menu
        return;
    }
    armed = true;
    onMotion(x, y);
}

void X11PopupMenu::onRelease(int x, int y, unsigned button)
{
    const bool choosingButton = button == 1 || (trackRight && button == 3);
    size_t k = 0;
    int row = -1;
    if (!choosingButton || !armed || !hit(x, y, k, row) || row < 0) return;
    const MenuItem& item = *levels[k]->rows[static_cast<size_t>(row)].item;
    if (item.kind == Kind::Command) choose(item);
}

void X11PopupMenu::moveHot(Level& level, int step)
{
    const int n = static_cast<int>(level.rows.size());
    int i = level.hot;
    for (int tries = 0; tries < n; ++tries)
    {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        if (selectable(*level.rows[static_cast<size_t>(i)].item))
        {
            level.hot = i;
            draw(level);
            return;
        }
    }
}

void X11PopupMenu::onKey(KeySym keysym)
{
    const size_t deepest = levels.size() - 1;
    Level& level = *levels[deepest];
    const MenuItem* hot = level.hot >= 0 ? level.rows[static_cast<size_t>(level.hot)].item : nullptr;
    switch (keysym)
    {
    case XK_Up:
    case XK_KP_Up:
        moveHot(level, -1);
        break;
    case XK_Down:
    case XK_KP_Down:
        moveHot(level, 1);
        break;
    case XK_Right:
    case XK_KP_Right:
        if (hot && hot->kind == Kind::SubMenu) openSubMenuOf(deepest, level.hot, true);
        break;
    case XK_Left:
    case XK_KP_Left:
        if (deepest > 0) closeLevelsAfter(deepest - 1);
        break;
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
        if (hot && hot->kind == Kind::Command)
            choose(*hot);
        else if (hot && hot->kind == Kind::SubMenu)
            openSubMenuOf(deepest, level.hot, true);
        break;
    case XK_Escape:
        if (deepest > 0)
            closeLevelsAfter(deepest - 1);
        else
            done = true;
        break;
    default:
        break;
    }
}

void X11PopupMenu::choose(const MenuItem& item)
{
    result = item.command;
    done = true;
}

void X11PopupMenu::dismissIfClickedOutside()
{
    // Without a grab we do not see clicks on other windows: poll for them.
    const PointerState state = platform.pointerState();
    const uint32_t pressed = state.buttons & ~polledButtons;
    polledButtons = state.buttons;
    size_t k = 0;
    int row = -1;
    if (pressed && !hit(state.screen.x, state.screen.y, k, row)) done = true;
}

} // namespace platform::x11
