// The base of everything shown in the editor: a rectangle in its parent's
// coordinates with a background bitmap, dirty and focus flags, and virtual
// event handlers that do nothing until a subclass cares.
#pragma once

#include <cstdint>

#include "gui/CInputTypes.h"
#include "gui/CReferenceCounter.h"
#include "raster/CViewTypes.h"
#include "shell/KeyCode.h"

namespace gui
{

class CBitmap;
class CDrawContext;
class CDragContainer;
class CFrame;
class CFrameOwner;

// Sent through `notify`; a container answers 1. Compared by address, so the
// sender must pass this very pointer.
extern const char* const kMsgCheckIfViewContainer;
// Sent by a text edit to its parent when its edit ends.
extern const char* const kMsgLooseFocus;

enum CWheelAxis : std::int32_t
{
    kHorizontalWheel = 0,
    kVerticalWheel = 1
};

class CView : public CReferenceCounter
{
  public:
    explicit CView(const CViewRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CViewRect& updateRect);
    virtual bool checkUpdate(const CViewRect& updateRect);
    virtual void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons);

    virtual void setBackground(CBitmap* background);
    virtual CBitmap* getBackground() const;

    virtual std::int32_t onKeyDown(VstKeyCode& key);
    virtual std::int32_t onKeyUp(VstKeyCode& key);
    virtual bool onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis, float distance);
    virtual bool onWheel(CDrawContext* context, const CViewPoint& where, float distance);

    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, const CViewPoint& where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, const CViewPoint& where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, const CViewPoint& where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, const CViewPoint& where);

    virtual void loseFocus(CDrawContext* context);
    virtual void takeFocus(CDrawContext* context);

    virtual bool isDirty() const;
    virtual void setDirty(bool dirty = true);

    virtual void setMouseEnabled(bool enabled = true);
    virtual bool getMouseEnabled() const;
    virtual void setMouseableArea(const CViewRect& rect);
    virtual void getMouseableArea(CViewRect& rect) const;
    virtual bool hitTest(const CViewPoint& where, std::int32_t buttons);

    virtual void setTransparency(bool transparent);
    virtual bool getTransparency() const;

    virtual void setViewSize(const CViewRect& rect);
    virtual void getViewSize(CViewRect& rect) const;

    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);

    virtual void getMouseLocation(CDrawContext* context, CViewPoint& point);
    virtual CViewPoint& frameToLocal(CViewPoint& point) const;
    virtual CViewPoint& localToFrame(CViewPoint& point) const;

    virtual CFrameOwner* getEditor() const;
    virtual std::int32_t notify(CView* sender, const char* message);
    virtual void redrawRect(CDrawContext* context, const CViewRect& rect);

    virtual bool wantsFocus() const;
    virtual void setWantsFocus(bool wants);

    virtual bool isTypeOf(const char* name) const;
    virtual void update(CDrawContext* context);

    // Plain accessors, not part of the overridable behaviour.
    const CViewRect& getViewSize() const { return size; }
    const CViewRect& getMouseableArea() const { return mouseableArea; }
    CFrame* getFrame() const { return parentFrame; }
    CView* getParentView() const { return parentView; }
    void setFrame(CFrame* frame) { parentFrame = frame; }
    void setParentView(CView* parent) { parentView = parent; }
    std::int32_t getWidth() const { return size.width(); }
    std::int32_t getHeight() const { return size.height(); }

  protected:
    // The current buttons and modifiers, for handlers called with buttons -1.
    std::int32_t readMouseButtons(CDrawContext* context) const;

    CViewRect size;
    CViewRect mouseableArea;
    CFrame* parentFrame = nullptr;
    CView* parentView = nullptr;
    bool markedDirty = false;
    bool takesMouse = true;
    bool transparencyEnabled = false;
    bool focusWanted = false;
    CBitmap* backgroundBitmap = nullptr;
};

} // namespace gui
