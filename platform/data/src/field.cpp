#include "data/db.h"

#include <cmath>
#include <limits>

namespace {

// The first `count` characters of UTF-8 text, never cutting one in two.
std::string FirstChars(const std::string& text, int count)
{
    std::size_t i = 0;
    for (int n = 0; i < text.size(); ++n) {
        if (n == count) return text.substr(0, i);
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text;
}

// True when `text` is a non-empty leading part of `word`, case ignored.
bool StartsWord(const std::string& text, const char* word)
{
    const std::string w = word;
    return !text.empty() && text.size() <= w.size() && SameText(text, w.substr(0, text.size()));
}

int RoundToInt(double value)
{
    const double r = std::round(value);
    if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max()))
        throw ERangeError(Format("%s is not within the valid range of an integer field", FloatToStr(value)));
    return static_cast<int>(r);
}

} // namespace

TField::TField(TDataSet& dataSet, std::string fieldName, TFieldType dataType, int size, int index)
    : dataSet_(&dataSet), fieldName_(std::move(fieldName)), dataType_(dataType), size_(size), index_(index)
{
}

TField::~TField() = default;

int TField::DisplayWidth() const
{
    if (displayWidth_ > 0) return displayWidth_;
    switch (dataType_) {
    case ftString: return size_ > 0 ? size_ : 20;
    case ftBoolean: return 5;
    case ftInteger: return 10;
    case ftFloat: return 10;
    default: return 10;
    }
}

bool TField::CanModify() const { return !readOnly_ && dataSet_->CanModify(); }

bool TField::IsNull() const { return std::holds_alternative<std::monostate>(dataSet_->ReadValue(index_)); }

void TField::Clear() { SetValue(std::monostate{}); }

TFieldValue TField::Value() const { return dataSet_->ReadValue(index_); }

void TField::SetValue(const TFieldValue& value)
{
    if (std::holds_alternative<std::monostate>(value)) {
        dataSet_->WriteValue(*this, value);
        return;
    }
    // Each kind stores its own alternative; the others convert through the typed setters.
    switch (dataType_) {
    case ftString:
    case ftMemo:
    case ftBlob:
        if (auto* s = std::get_if<std::string>(&value)) {
            dataSet_->WriteValue(*this, dataType_ == ftString && size_ > 0 ? FirstChars(*s, size_) : *s);
            return;
        }
        break;
    case ftInteger:
        if (std::holds_alternative<int>(value)) return dataSet_->WriteValue(*this, value);
        break;
    case ftFloat:
        if (std::holds_alternative<double>(value)) return dataSet_->WriteValue(*this, value);
        break;
    case ftBoolean:
        if (std::holds_alternative<bool>(value)) return dataSet_->WriteValue(*this, value);
        break;
    default:
        return dataSet_->WriteValue(*this, value);
    }
    if (auto* s = std::get_if<std::string>(&value)) SetAsString(*s);
    else if (auto* i = std::get_if<int>(&value)) SetAsInteger(*i);
    else if (auto* d = std::get_if<double>(&value)) SetAsFloat(*d);
    else if (auto* b = std::get_if<bool>(&value)) SetAsBoolean(*b);
}

std::string TField::AsString() const
{
    const TFieldValue& v = dataSet_->ReadValue(index_);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* i = std::get_if<int>(&v)) return IntToStr(*i);
    if (auto* d = std::get_if<double>(&v)) return FloatToStr(*d);
    if (auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    return {};
}

TFieldValue TField::Converted(const std::string& text) const
{
    switch (dataType_) {
    case ftInteger:
        if (text.empty()) return std::monostate{};
        return StrToInt(text);
    case ftFloat:
        if (text.empty()) return std::monostate{};
        return StrToFloat(text);
    case ftBoolean:
        if (text.empty()) return std::monostate{};
        if (StartsWord(text, "True")) return true;
        if (StartsWord(text, "False")) return false;
        throw EDatabaseError(Format("'%s' is not a valid boolean value for field '%s'", text, fieldName_));
    default:
        return text;
    }
}

void TField::SetAsString(const std::string& value) { SetValue(Converted(value)); }

int TField::AsInteger() const
{
    const TFieldValue& v = dataSet_->ReadValue(index_);
    if (auto* i = std::get_if<int>(&v)) return *i;
    if (auto* d = std::get_if<double>(&v)) return RoundToInt(*d);
    if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (auto* s = std::get_if<std::string>(&v)) return StrToInt(*s);
    return 0;
}

void TField::SetAsInteger(int value)
{
    switch (dataType_) {
    case ftInteger: return SetValue(value);
    case ftFloat: return SetValue(static_cast<double>(value));
    case ftBoolean: return SetValue(value != 0);
    default: return SetValue(IntToStr(value));
    }
}

double TField::AsFloat() const
{
    const TFieldValue& v = dataSet_->ReadValue(index_);
    if (auto* d = std::get_if<double>(&v)) return *d;
    if (auto* i = std::get_if<int>(&v)) return *i;
    if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (auto* s = std::get_if<std::string>(&v)) return StrToFloat(*s);
    return 0;
}

void TField::SetAsFloat(double value)
{
    switch (dataType_) {
    case ftInteger: return SetValue(RoundToInt(value));
    case ftFloat: return SetValue(value);
    case ftBoolean: return SetValue(value != 0);
    default: return SetValue(FloatToStr(value));
    }
}

bool TField::AsBoolean() const
{
    const TFieldValue& v = dataSet_->ReadValue(index_);
    if (auto* b = std::get_if<bool>(&v)) return *b;
    if (auto* i = std::get_if<int>(&v)) return *i != 0;
    if (auto* d = std::get_if<double>(&v)) return *d != 0;
    if (auto* s = std::get_if<std::string>(&v)) return !s->empty() && std::string("TtYy").find((*s)[0]) != std::string::npos;
    return false;
}

void TField::SetAsBoolean(bool value)
{
    switch (dataType_) {
    case ftInteger: return SetValue(value ? 1 : 0);
    case ftFloat: return SetValue(value ? 1.0 : 0.0);
    case ftBoolean: return SetValue(value);
    default: return SetValue(std::string(value ? "True" : "False"));
    }
}

std::string TField::DisplayText() const
{
    if (dataType_ == ftBlob) return IsNull() ? std::string() : "(BLOB)";
    std::string text = AsString();
    if (dataType_ == ftMemo) {
        const auto cut = text.find_first_of("\r\n");
        if (cut != std::string::npos) text.resize(cut);
    }
    return text;
}
