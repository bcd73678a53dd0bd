// Reading DLGTEMPLATE and DLGTEMPLATEEX: WORD-aligned fields, items DWORD-aligned, strings
// UTF-16 up to their terminator, everything bounded by the bytes.
#include "dialog_template.h"

#include "codepage.h"
#include "resource_format.h"

namespace winplat::detail {
namespace {

constexpr WORD kExtendedSignature = 0xFFFF;
constexpr size_t kMaxItems = 65535;

class Reader {
public:
    explicit Reader(std::span<const BYTE> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }

    WORD word() {
        if (!need(2)) return 0;
        WORD v = readWord(bytes_, at_);
        at_ += 2;
        return v;
    }
    DWORD dword() {
        DWORD low = word();
        return low | static_cast<DWORD>(word()) << 16;
    }
    short coordinate() { return static_cast<short>(word()); }
    void align(size_t boundary) {
        at_ = (at_ + boundary - 1) / boundary * boundary;
        if (at_ > bytes_.size()) ok_ = false;
    }
    std::string text() {
        std::string out;
        for (WORD unit = word(); ok_ && unit != 0; unit = word()) out += toWindows1252(static_cast<char16_t>(unit));
        return out;
    }
    TemplateName name() {
        TemplateName n;
        WORD first = word();
        if (first == 0xFFFF) {
            n.ordinal = word();
        } else if (first != 0) {
            n.text = toWindows1252(static_cast<char16_t>(first));
            n.text += text();
        }
        return n;
    }
    std::vector<BYTE> data(size_t count) {
        if (!need(count)) return {};
        std::vector<BYTE> out(bytes_.begin() + static_cast<ptrdiff_t>(at_), bytes_.begin() + static_cast<ptrdiff_t>(at_ + count));
        at_ += count;
        return out;
    }

private:
    bool need(size_t count) {
        if (!ok_ || bytes_.size() - at_ < count || at_ > bytes_.size()) ok_ = false;
        return ok_;
    }
    std::span<const BYTE> bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace

std::optional<DialogTemplate> parseDialogTemplate(std::span<const BYTE> bytes) {
    Reader r(bytes);
    DialogTemplate t;
    WORD version = r.word(), signature = r.word();
    t.extended = version == 1 && signature == kExtendedSignature;
    if (t.extended) {
        r.dword();  // helpID
        t.exStyle = r.dword();
        t.style = r.dword();
    } else {
        t.style = static_cast<DWORD>(version) | static_cast<DWORD>(signature) << 16;
        t.exStyle = r.dword();
    }
    size_t count = r.word();
    t.x = r.coordinate(), t.y = r.coordinate(), t.cx = r.coordinate(), t.cy = r.coordinate();
    t.menu = r.name();
    t.className = r.name();
    t.title = r.text();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.word();
        if (t.extended) {
            t.weight = r.word();
            t.italic = (r.word() & 0xFF) != 0;  // italic, then the character set
        }
        t.face = r.text();
    }
    if (!r.ok() || count > kMaxItems) return std::nullopt;
    for (size_t i = 0; i < count; ++i) {
        r.align(4);
        DialogItemTemplate item;
        if (t.extended) {
            item.helpId = r.dword();
            item.exStyle = r.dword();
            item.style = r.dword();
        } else {
            item.style = r.dword();
            item.exStyle = r.dword();
        }
        item.x = r.coordinate(), item.y = r.coordinate(), item.cx = r.coordinate(), item.cy = r.coordinate();
        item.id = t.extended ? r.dword() : r.word();
        item.className = r.name();
        item.title = r.name();
        // Creation data: a WORD count of the bytes that follow (classic templates count the
        // WORD itself when it is not zero).
        size_t extra = r.word();
        if (!t.extended && extra >= 2) extra -= 2;
        if (extra) item.creationData = r.data(extra);
        if (!r.ok()) return std::nullopt;
        t.items.push_back(std::move(item));
    }
    return t;
}

namespace {

class Writer {
public:
    void word(WORD v) {
        bytes_.push_back(static_cast<BYTE>(v & 0xFF));
        bytes_.push_back(static_cast<BYTE>(v >> 8));
    }
    void dword(DWORD v) {
        word(LOWORD(v));
        word(HIWORD(v));
    }
    void text(const std::string& s) {
        for (char c : s) word(fromWindows1252(static_cast<unsigned char>(c)));
        word(0);
    }
    void name(const TemplateName& n) {
        if (n.ordinal) {
            word(0xFFFF);
            word(*n.ordinal);
        } else {
            text(n.text);
        }
    }
    void raw(const std::vector<BYTE>& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void alignToDword() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    std::vector<BYTE> take() { return std::move(bytes_); }

private:
    std::vector<BYTE> bytes_;
};

}  // namespace

std::vector<BYTE> writeDialogTemplate(const DialogTemplate& t) {
    Writer w;
    w.dword(t.style);
    w.dword(t.exStyle);
    w.word(static_cast<WORD>(t.items.size()));
    for (short v : {t.x, t.y, t.cx, t.cy}) w.word(static_cast<WORD>(v));
    w.name(t.menu);
    w.name(t.className);
    w.text(t.title);
    if (t.style & DS_SETFONT) {
        w.word(t.pointSize);
        w.text(t.face);
    }
    for (const DialogItemTemplate& item : t.items) {
        w.alignToDword();
        w.dword(item.style);
        w.dword(item.exStyle);
        for (short v : {item.x, item.y, item.cx, item.cy}) w.word(static_cast<WORD>(v));
        w.word(static_cast<WORD>(item.id));
        w.name(item.className);
        w.name(item.title);
        // Classic templates count the creation data's WORD itself when there is data.
        w.word(item.creationData.empty() ? 0 : static_cast<WORD>(item.creationData.size() + 2));
        w.raw(item.creationData);
    }
    return w.take();
}

std::string className(const TemplateName& name) {
    if (!name.ordinal) return name.text;
    switch (*name.ordinal) {
        case 0x80: return "Button";
        case 0x81: return "Edit";
        case 0x82: return "Static";
        case 0x83: return "ListBox";
        case 0x84: return "ScrollBar";
        case 0x85: return "ComboBox";
        default: return {};
    }
}

}  // namespace winplat::detail
