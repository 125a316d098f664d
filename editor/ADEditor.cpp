#include "editor/ADEditor.h"

#include "shell/AudioEffect.h"

ADEditor::ADEditor(AudioEffect* owner) : AEffEditor(owner)
{
    if (owner)
    {
        owner->setEditor(this);
    }
}

bool ADEditor::getRect(ERect** result)
{
    if (result)
    {
        *result = &rect;
    }
    return true;
}

bool ADEditor::open(void*)
{
    return false; // no window yet
}
