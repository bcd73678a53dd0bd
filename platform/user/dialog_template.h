// Dialog templates (internal): DLGTEMPLATE and DLGTEMPLATEEX bytes, read with every size and
// string checked against the bytes, into what the dialog manager creates; and classic templates
// written for the dialogs the platform builds itself.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "win32.h"

namespace winplat::detail {

// A class, menu or title field: an ordinal (0xFFFF, n) or a string (Windows-1252 here).
struct TemplateName {
    std::optional<WORD> ordinal;
    std::string text;
    bool empty() const { return !ordinal && text.empty(); }
};

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD id = 0;
    TemplateName className;  // ordinals 0x80..0x85: Button, Edit, Static, ListBox, ScrollBar, ComboBox
    TemplateName title;
    std::vector<BYTE> creationData;
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName className;
    std::string title;
    // DS_SETFONT (DS_SHELLFONT): point size, weight, italic and face.
    WORD pointSize = 0;
    WORD weight = 0;
    bool italic = false;
    std::string face;
    std::vector<DialogItemTemplate> items;
};

// Reads a template; nothing for bytes that end early or that no template fits.
std::optional<DialogTemplate> parseDialogTemplate(std::span<const BYTE> bytes);

// The bytes of a classic DLGTEMPLATE for `t` (its `extended` is not looked at): the dialog, its
// font under DS_SETFONT, and each item DWORD-aligned with its class, title and creation data.
std::vector<BYTE> writeDialogTemplate(const DialogTemplate& t);

// The class name of a template's class field: its string, or the predefined class an ordinal
// names; empty for an ordinal that names none.
std::string className(const TemplateName& name);

}  // namespace winplat::detail
