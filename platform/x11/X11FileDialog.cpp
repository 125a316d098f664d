#include "platform/x11/X11FileDialog.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>

#include <X11/keysym.h>

#include <algorithm>
#include <unistd.h>

#include "raster/CFontTable.h"

namespace platform::x11
{

namespace
{

constexpr int kMargin = 12;
constexpr int kWidth = 480;
constexpr int kRowHeight = 18;
constexpr int kRows = 12;
constexpr int kLabelWidth = 86;

constexpr gui::Pixel kListBackground = gui::makePixel(0xFF, 0xFF, 0xFF);
constexpr gui::Pixel kFolderText = gui::makePixel(0x20, 0x40, 0x90);
constexpr gui::Pixel kHighlightText = gui::makePixel(0xFF, 0xFF, 0xFF);

// Layout, in window coordinates at scale 1.
constexpr int kFolderTop = kMargin;
constexpr int kListTop = kFolderTop + 22;
constexpr int kListBottom = kListTop + kRows * kRowHeight + 2;
constexpr int kFieldTop = kListBottom + 10;
constexpr int kFilterTop = kFieldTop + 28;
constexpr int kButtonTop = kFilterTop + 32;
constexpr int kHeight = kButtonTop + kDialogButtonHeight + kMargin;
constexpr Rect kOk{kWidth - kMargin - 2 * kDialogButtonWidth - 8, kButtonTop,
                   kWidth - kMargin - kDialogButtonWidth - 8, kButtonTop + kDialogButtonHeight};
constexpr Rect kCancel{kWidth - kMargin - kDialogButtonWidth, kButtonTop, kWidth - kMargin,
                       kButtonTop + kDialogButtonHeight};

bool isFolder(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string joined(const std::string& folder, const std::string& name)
{
    if (name.empty()) return folder;
    if (name.front() == '/') return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// "/a/b/.." and "/a/./b" as the folder they name.
std::string normalised(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size())
    {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == "..")
        {
            if (!parts.empty()) parts.pop_back();
        }
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string currentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "/";
}

// "*.*" means every file to Windows users; on Linux it would skip names without a dot.
std::string linuxPattern(const std::string& pattern)
{
    return pattern == "*.*" ? "*" : pattern;
}

bool lessByName(const X11FileDialog::Entry& a, const X11FileDialog::Entry& b)
{
    if (a.folder != b.folder) return a.folder;
    const int folded = strcasecmp(a.name.c_str(), b.name.c_str());
    return folded != 0 ? folded < 0 : a.name < b.name;
}

} // namespace

X11FileDialog::X11FileDialog(X11Platform& system, ::Window ownerWindow, const FileChooserRequest& details,
                             const std::string& startPath)
    : platform(system), display(system.display()), owner(ownerWindow), request(details),
      filters(details.filters)
{
    font.fontId = fontIdFor(12, false);
    font.scale = std::clamp(details.scale, 1, 2);
    if (filters.empty()) filters.push_back(FileFilter{"All Files", "*"});
    if (request.selectedFilter > 0 && static_cast<size_t>(request.selectedFilter) < filters.size())
        filterIndexShown = static_cast<size_t>(request.selectedFilter);

    const std::string start = startPath.empty() ? currentFolder() + "/" : startPath;
    const std::string absolute = start.front() == '/' ? start : currentFolder() + "/" + start;
    const size_t slash = absolute.rfind('/');
    std::string folder = normalised(absolute.substr(0, slash + 1));
    initialName = absolute.substr(slash + 1);
    if (!isFolder(folder)) folder = currentFolder();
    folderShown = normalised(folder);
    readFolder();

    frame.emplace(platform, owner, Size{px(kWidth), px(kHeight)}, request.title);
}

X11FileDialog::~X11FileDialog() = default;

void X11FileDialog::show()
{
    const EditFieldStyle style =
        dialogFieldStyle(Rect{px(kMargin + kLabelWidth), px(kFieldTop), px(kWidth - kMargin),
                              px(kFieldTop + 8) + textHeight(font)},
                         font.scale);
    if (!frame->show(*this, &style, *this)) return;
    if (frame->field()) frame->field()->setText(initialName);
    draw();
    XFlush(display);
}

bool X11FileDialog::poll()
{
    return frame->poll();
}

// --- The folder ----------------------------------------------------------------------

void X11FileDialog::readFolder()
{
    listing.clear();
    selected = -1;
    firstRow = 0;
    if (folderShown != "/") listing.push_back(Entry{"..", true});
    DIR* dir = opendir(folderShown.c_str());
    if (!dir) return;
    const std::string pattern = linuxPattern(filters[filterIndexShown].pattern);
    std::vector<Entry> found;
    while (const dirent* item = readdir(dir))
    {
        const std::string name = item->d_name;
        if (name.empty() || name.front() == '.') continue; // hidden, "." and ".."
        if (isFolder(joined(folderShown, name)))
            found.push_back(Entry{name, true});
        else if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            found.push_back(Entry{name, false});
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), lessByName);
    listing.insert(listing.end(), found.begin(), found.end());
}

void X11FileDialog::enter(const std::string& folder)
{
    if (!isFolder(folder)) return;
    folderShown = normalised(folder);
    readFolder();
    if (frame->field()) frame->field()->setText("");
    draw();
}

void X11FileDialog::accept()
{
    const std::string typed = frame->field() ? frame->field()->text() : std::string();
    if (typed.empty())
    {
        if (selected >= 0 && listing[static_cast<size_t>(selected)].folder)
            enter(joined(folderShown, listing[static_cast<size_t>(selected)].name));
        return;
    }
    const std::string path = joined(folderShown, typed);
    if (isFolder(path)) return enter(path);
    chosen = path;
    frame->finish(true);
}

// --- Input ---------------------------------------------------------------------------

Rect X11FileDialog::rowRect(size_t index) const
{
    const int row = static_cast<int>(index) - firstRow;
    const int top = px(kListTop + 1 + row * kRowHeight);
    return Rect{px(kMargin + 1), top, px(kWidth - kMargin - 1), top + px(kRowHeight)};
}

Rect X11FileDialog::filterRect() const
{
    return Rect{px(kMargin + kLabelWidth), px(kFilterTop), px(kWidth - kMargin),
                px(kFilterTop + 8) + textHeight(font)};
}

void X11FileDialog::scrollBy(int rows)
{
    const int last = std::max(0, static_cast<int>(listing.size()) - kRows);
    firstRow = std::clamp(firstRow + rows, 0, last);
    draw();
}

void X11FileDialog::onPress(const XButtonEvent& event)
{
    if (event.button == 4 || event.button == 5) return scrollBy(event.button == 4 ? -3 : 3);
    if (event.button != 1) return;
    if (inside(scaled(kOk), event.x, event.y)) return accept();
    if (inside(scaled(kCancel), event.x, event.y)) return frame->finish(false);
    if (inside(filterRect(), event.x, event.y))
    {
        filterIndexShown = (filterIndexShown + 1) % filters.size();
        readFolder();
        return draw();
    }
    for (int row = firstRow; row < firstRow + kRows && row < static_cast<int>(listing.size()); ++row)
    {
        if (!inside(rowRect(static_cast<size_t>(row)), event.x, event.y)) continue;
        const bool second = row == lastClickRow && event.time - lastClickTime < platform.doubleClickTime();
        lastClickRow = second ? -1 : row;
        lastClickTime = event.time;
        selected = row;
        const Entry entry = listing[static_cast<size_t>(row)];
        if (entry.folder)
        {
            if (second) return enter(joined(folderShown, entry.name));
        }
        else if (frame->field())
        {
            frame->field()->setText(entry.name);
            if (second) return accept();
        }
        return draw();
    }
}

void X11FileDialog::handleEvent(const XEvent& event)
{
    if (frame->isCloseRequest(event)) return frame->finish(false);
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0) frame->present();
        break;
    case ButtonPress:
        onPress(event.xbutton);
        break;
    case KeyPress:
        if (XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0) == XK_Escape) frame->finish(false);
        break;
    default:
        break;
    }
}

// --- Drawing -------------------------------------------------------------------------

void X11FileDialog::draw()
{
    const PixelSpan span = frame->pixels();
    gui::CPixelSurface surface(span.pixels, span.width, span.height, span.stride);
    const gui::CViewRect all = surface.bounds();
    surface.fill(all, kDialogBackground, all);
    const int lineHeight = textHeight(font);
    const TextStyle bold{font.fontId, gui::kFontBold, font.scale};

    // The folder, its end kept in view when it is long.
    drawText(surface, all, px(kMargin), px(kFolderTop), font, "Look in:", kDialogText);
    std::string shown = folderShown;
    const int room = px(kWidth - 2 * kMargin - kLabelWidth);
    while (shown.size() > 1 && textWidth(bold, shown) > room)
        shown = "..." + shown.substr(std::min(shown.size(), size_t{4}));
    drawText(surface, all, px(kMargin + kLabelWidth), px(kFolderTop), bold, shown, kDialogText);

    const gui::CViewRect list{px(kMargin), px(kListTop), px(kWidth - kMargin), px(kListBottom)};
    surface.fill(list, kDialogEdge, all);
    const gui::CViewRect inner{list.left + px(1), list.top + px(1), list.right - px(1), list.bottom - px(1)};
    surface.fill(inner, kListBackground, all);
    for (int row = firstRow; row < firstRow + kRows && row < static_cast<int>(listing.size()); ++row)
    {
        const Rect r = rowRect(static_cast<size_t>(row));
        const gui::CViewRect box{r.left, r.top, r.right, r.bottom};
        const Entry& entry = listing[static_cast<size_t>(row)];
        const bool hot = row == selected;
        if (hot) surface.fill(box, kDialogHighlight, inner);
        const std::string text = entry.folder ? entry.name + "/" : entry.name;
        drawText(surface, inner, r.left + px(6), r.top + (px(kRowHeight) - lineHeight) / 2,
                 entry.folder ? bold : font, text,
                 hot            ? kHighlightText
                 : entry.folder ? kFolderText
                                : kDialogText);
    }

    drawText(surface, all, px(kMargin), px(kFieldTop + 4), font, "File name:", kDialogText);
    drawText(surface, all, px(kMargin), px(kFilterTop + 4), font, "Files of type:", kDialogText);
    const Rect f = filterRect();
    const gui::CViewRect filterBox{f.left, f.top, f.right, f.bottom};
    surface.fill(filterBox, kDialogEdge, all);
    surface.fill(gui::CViewRect{f.left + px(1), f.top + px(1), f.right - px(1), f.bottom - px(1)},
                 kDialogButtonFace, all);
    const FileFilter& filter = filters[filterIndexShown];
    const std::string filterText = filter.description + " (" + linuxPattern(filter.pattern) + ")" +
                                   (filters.size() > 1 ? "   - click for the next" : "");
    drawText(surface, filterBox, f.left + px(6), f.top + px(4), font, filterText, kDialogText);

    drawDialogButton(surface, scaled(kOk), font, "OK");
    drawDialogButton(surface, scaled(kCancel), font, "Cancel");
    frame->present();
}

} // namespace platform::x11
