#pragma once

// What a screen reader says for a control beyond what the control shows: a name where the
// control has no text of its own to be known by (the water, the size list), and a line on what
// a control does. Check boxes are known by their own texts.

struct AccessibleText {
    unsigned dialogId;
    int controlId;
    const char* name;        // null where the control's own text serves
    const char* description; // null when there is nothing to add
};

// The texts for this control of this dialog; null when it has none.
const AccessibleText* FindAccessibleText(unsigned dialogId, int controlId);
