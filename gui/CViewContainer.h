// A view that owns child views, composes them in an offscreen of its own size
// and routes mouse, wheel, key, focus and drag events to them. Children are in
// coordinates whose origin is the container's top-left; the last added child
// is the topmost.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/CView.h"

namespace gui
{

class COffscreenContext;

enum CViewContainerMode : std::int32_t
{
    updateAll = 0,
    updateOnlyDirty = 1,
};

class CViewContainer : public CView
{
  public:
    CViewContainer(const CViewRect& rect, CFrame* frame, CBitmap* background = nullptr);
    ~CViewContainer() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CViewRect& updateRect) override;
    void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons) override;
    std::int32_t onKeyDown(VstKeyCode& key) override;
    std::int32_t onKeyUp(VstKeyCode& key) override;
    bool onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, const CViewPoint& where, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CViewPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CViewPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CViewPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CViewPoint& where) override;
    void loseFocus(CDrawContext* context) override;
    void takeFocus(CDrawContext* context) override;
    bool isDirty() const override;
    void setViewSize(const CViewRect& rect) override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    CViewPoint& frameToLocal(CViewPoint& point) const override;
    CViewPoint& localToFrame(CViewPoint& point) const override;
    std::int32_t notify(CView* sender, const char* message) override;
    void redrawRect(CDrawContext* context, const CViewRect& rect) override;
    bool isTypeOf(const char* name) const override;
    void update(CDrawContext* context) override;

    virtual void addView(CView* view, const CViewRect& mouseableArea, bool mouseEnabled = true);
    virtual void addView(CView* view);
    virtual void removeView(CView* view, bool withRelease = true);
    virtual void removeAll(bool withRelease = true);
    virtual bool isChild(CView* view) const;
    virtual std::int32_t getViewCount() const;
    virtual CView* getView(std::int32_t index) const;
    virtual void setBackgroundColor(const CViewColor& color);
    virtual CViewColor getBackgroundColor() const;
    virtual void setBackgroundOffset(const CViewPoint& offset);
    virtual const CViewPoint& getBackgroundOffset() const;
    virtual void drawBackgroundRect(CDrawContext* context, const CViewRect& rect);
    virtual void setMode(std::int32_t mode);
    virtual std::int32_t getMode() const;
    virtual void useOffscreen(bool offscreen);
    virtual CView* getCurrentView() const;
    virtual CView* getViewAt(const CViewPoint& where, bool deep = false) const;
    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);

    COffscreenContext* getOffscreen() const { return offscreenContext; }

  protected:
    // Detaches and releases every child as the destructor does; subclasses
    // call it while they are still whole.
    void releaseAllChildren();
    // Unlinks `view` after `removed`; the caller drops the references.
    bool unlinkView(CView* view);
    void createOffscreenIfNeeded();
    void releaseOffscreen();
    // The drawing target of a redraw: the offscreen, or `context` shifted to
    // this container's origin (restored by `restoreTarget`).
    CDrawContext* beginTarget(CDrawContext* context, CViewPoint& savedOffset);
    void restoreTarget(CDrawContext* context, const CViewPoint& savedOffset);
    bool childIsContainer(CView* child) const;

    std::vector<CView*> children; // first = bottom, last = topmost
    std::int32_t mode = updateAll;
    COffscreenContext* offscreenContext = nullptr;
    CViewColor backgroundColor = kBlackCColor;
    CViewPoint backgroundOffset;
    bool drawInOffscreen = true;
    CView* currentDragView = nullptr;
};

} // namespace gui
