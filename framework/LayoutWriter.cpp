#include "framework/LayoutWriter.h"

#include "framework/Component.h"
#include "framework/Exceptions.h"

#include <charconv>
#include <cstdio>

class TLayoutWriter {
public:
    explicit TLayoutWriter(const TComponent& root) : root_(const_cast<TComponent&>(root)) {}

    std::string Write()
    {
        WriteComponent(root_, 0);
        return std::move(out_);
    }

private:
    void WriteComponent(TComponent& component, int depth);
    // Appends the object's properties at `depth`; returns whether anything was written.
    bool WriteProperties(TObject& object, int depth);
    std::string ValueText(const TPropInfo& prop, const TPropValue& value, int depth) const;
    TComponent* BlockParent(const TComponent& component) const;

    static std::string Indent(int depth) { return std::string(static_cast<std::size_t>(depth) * 2, ' '); }
    static std::string Quote(const std::string& text);
    static std::string FloatText(double value);

    TComponent& root_;
    std::string out_;
};

TComponent* TLayoutWriter::BlockParent(const TComponent& component) const
{
    TComponent* parent = component.GetParentComponent();
    if (parent != nullptr && parent != &root_ && parent != &component && parent->Owner() == &root_)
        return parent;
    return &root_;
}

void TLayoutWriter::WriteComponent(TComponent& component, int depth)
{
    component.SetStateFlag(csWriting, true);
    try {
        out_ += Indent(depth) + component.Name() + ": " + component.ClassName() + " {\n";
        WriteProperties(component, depth + 1);
        for (int i = 0; i < root_.ComponentCount(); ++i) {
            TComponent* child = root_.Components(i);
            if (child != &component && BlockParent(*child) == &component)
                WriteComponent(*child, depth + 1);
        }
        out_ += Indent(depth) + "}\n";
    } catch (...) {
        component.SetStateFlag(csWriting, false);
        throw;
    }
    component.SetStateFlag(csWriting, false);
}

bool TLayoutWriter::WriteProperties(TObject& object, int depth)
{
    const std::size_t before = out_.size();
    for (const TPropInfo* prop : object.ClassType().Properties()) {
        if (!prop->Stored(object))
            continue;
        if (prop->Kind == TTypeKind::Method) {
            const void* slot = prop->Slot(object);
            if (!prop->IsAssigned(slot))
                continue;
            const TMethodInfo* method = root_.ClassType().FindMethodBoundTo(slot, prop->Signature, root_);
            if (method == nullptr)
                throw EWriteError("Le gestionnaire de " + prop->Name + " (" + object.ClassName() +
                                  ") n'est pas une méthode publiée de " + root_.ClassName());
            out_ += Indent(depth) + prop->Name + " = " + method->Name + "\n";
            continue;
        }
        if (prop->Kind == TTypeKind::Nested) {
            const TPropValue value = prop->Get(object);
            TObject* nested = std::get<TObject*>(value);
            if (nested == nullptr)
                continue;
            const std::size_t start = out_.size();
            out_ += Indent(depth) + prop->Name + " {\n";
            if (WriteProperties(*nested, depth + 1))
                out_ += Indent(depth) + "}\n";
            else
                out_.resize(start);
            continue;
        }
        if (!prop->Set)
            continue;
        const TPropValue value = prop->Get(object);
        if (prop->Default && value == *prop->Default)
            continue;
        out_ += Indent(depth) + prop->Name + " = " + ValueText(*prop, value, depth) + "\n";
    }
    return out_.size() != before;
}

std::string TLayoutWriter::ValueText(const TPropInfo& prop, const TPropValue& value, int depth) const
{
    switch (prop.Kind) {
    case TTypeKind::Integer:
        return std::to_string(std::get<long long>(value));
    case TTypeKind::Boolean:
    case TTypeKind::WordBool:
        return std::get<long long>(value) != 0 ? "true" : "false";
    case TTypeKind::Float:
        return FloatText(std::get<double>(value));
    case TTypeKind::String:
        return Quote(std::get<std::string>(value));
    case TTypeKind::Enumeration: {
        const std::string* name = prop.Enum->NameOf(std::get<long long>(value));
        if (name == nullptr)
            throw EWriteError("Valeur " + std::to_string(std::get<long long>(value)) + " hors de " +
                              prop.Enum->TypeName + " pour " + prop.Name);
        return *name;
    }
    case TTypeKind::Set: {
        const long long bits = std::get<long long>(value);
        std::string text = "[";
        for (std::size_t i = 0; i < prop.Enum->Names.size(); ++i) {
            if ((bits & (1LL << i)) == 0)
                continue;
            if (text.size() > 1)
                text += ", ";
            text += prop.Enum->Names[i];
        }
        return text + "]";
    }
    case TTypeKind::Reference: {
        const TObject* target = std::get<TObject*>(value);
        if (target == nullptr)
            return "nil";
        const auto* component = dynamic_cast<const TComponent*>(target);
        if (component == &root_ || (component != nullptr && component->Owner() == &root_ && !component->Name().empty()))
            return component->Name();
        throw EWriteError("La propriété " + prop.Name + " désigne un composant hors de " + root_.Name());
    }
    case TTypeKind::Binary: {
        const auto& bytes = std::get<std::vector<BYTE>>(value);
        if (bytes.empty())
            return "{ }";
        static const char digits[] = "0123456789ABCDEF";
        std::string text = "{";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i % 32 == 0)
                text += "\n" + Indent(depth + 1);
            text += digits[bytes[i] >> 4];
            text += digits[bytes[i] & 0xF];
        }
        return text + "\n" + Indent(depth) + "}";
    }
    case TTypeKind::Nested:
    case TTypeKind::Method:
        break;
    }
    return {};
}

std::string TLayoutWriter::Quote(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string TLayoutWriter::FloatText(double value)
{
    if (value != value)
        return "nan";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    // Keep a mark of a floating-point value, so the text never reads as an integer.
    if (text.find_first_of(".eni") == std::string::npos)
        text += ".0";
    return text;
}

std::string WriteLayout(const TComponent& root)
{
    return TLayoutWriter(root).Write();
}
