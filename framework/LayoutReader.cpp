#include "framework/LayoutReader.h"

#include "framework/ClassRegistry.h"
#include "framework/Component.h"
#include "framework/Exceptions.h"
#include "framework/LayoutLexer.h"

#include <algorithm>
#include <charconv>
#include <vector>

void SetCreatingForReader(bool on) noexcept; // Component.cpp

class TLayoutReader {
public:
    TLayoutReader(TComponent& root, std::string_view text, const std::string& sourceName)
        : root_(root), lexer_(text, sourceName)
    {
    }

    void Read();

private:
    struct Fixup {
        TObject* Holder;
        const TPropInfo* Prop;
        std::string Target;
        int Line;
    };

    void ReadHeader();
    void ReadBody(TObject& object, TComponent* asParent);
    void ReadComponent(const std::string& name, int line, TComponent& parent);
    void ReadProperty(TObject& object, const TLayoutTokenValue& first);
    void ReadValue(TObject& holder, const TPropInfo& prop, int line);
    void Apply(TObject& holder, const TPropInfo& prop, const TPropValue& value, int line);
    TObject* NestedObject(TObject& holder, const TPropInfo& prop, int line);

    TLayoutTokenValue Expect(TLayoutToken kind, const char* what);
    void ExpectSymbol(char symbol);
    [[noreturn]] void Fail(int line, const std::string& message) const { lexer_.Fail(line, message); }

    TComponent& root_;
    TLayoutLexer lexer_;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
};

TLayoutTokenValue TLayoutReader::Expect(TLayoutToken kind, const char* what)
{
    TLayoutTokenValue token = lexer_.Next();
    if (token.Kind != kind)
        Fail(token.Line, std::string(what) + " attendu" + (token.Kind == TLayoutToken::End ? " (fin du texte)" : " au lieu de '" + token.Text + "'"));
    return token;
}

void TLayoutReader::ExpectSymbol(char symbol)
{
    TLayoutTokenValue token = lexer_.Next();
    if (token.Kind != TLayoutToken::Symbol || token.Text[0] != symbol)
        Fail(token.Line, std::string("'") + symbol + "' attendu" +
                             (token.Kind == TLayoutToken::End ? " (fin du texte)" : " au lieu de '" + token.Text + "'"));
}

void TLayoutReader::Read()
{
    try {
        root_.SetStateFlag(csLoading, true);
        root_.SetStateFlag(csReading, true);
        loaded_.push_back(&root_);
        ReadHeader();
        ReadBody(root_, &root_);
        root_.SetStateFlag(csReading, false);
        const TLayoutTokenValue rest = lexer_.Next();
        if (rest.Kind != TLayoutToken::End)
            Fail(rest.Line, "texte après la fin du composant racine");
        for (const Fixup& fixup : fixups_) {
            TComponent* target = SameText(fixup.Target, root_.Name()) ? &root_ : root_.FindComponent(fixup.Target);
            if (target == nullptr)
                Fail(fixup.Line, "composant " + fixup.Target + " introuvable");
            Apply(*fixup.Holder, *fixup.Prop, TPropValue(static_cast<TObject*>(target)), fixup.Line);
        }
    } catch (...) {
        SetCreatingForReader(false);
        for (TComponent* c : loaded_) {
            c->SetStateFlag(csLoading, false);
            c->SetStateFlag(csReading, false);
        }
        throw;
    }
    for (std::size_t i = 0; i < loaded_.size(); ++i) {
        loaded_[i]->SetStateFlag(csLoading, false);
        try {
            loaded_[i]->Loaded();
        } catch (...) {
            // The error goes on; no component may stay in the loading state because of it.
            for (std::size_t j = i + 1; j < loaded_.size(); ++j)
                loaded_[j]->SetStateFlag(csLoading, false);
            throw;
        }
    }
}

void TLayoutReader::ReadHeader()
{
    std::string name;
    int line = lexer_.Peek().Line;
    if (lexer_.Peek().Kind == TLayoutToken::Ident)
        name = lexer_.Next().Text;
    ExpectSymbol(':');
    const TLayoutTokenValue cls = Expect(TLayoutToken::Ident, "nom de classe");
    const TClass* matching = &root_.ClassType();
    while (matching != nullptr && !SameText(matching->Name(), cls.Text))
        matching = matching->Parent();
    if (matching == nullptr)
        Fail(cls.Line, "la racine est un " + root_.ClassName() + ", pas un " + cls.Text);
    ExpectSymbol('{');
    // A second window made from the same layout under the same owner cannot take the same
    // name; it gets the first free "<name>_<n>" instead of failing.
    if (const TComponent* owner = root_.Owner(); owner != nullptr && !name.empty()) {
        const std::string base = name;
        for (int n = 1; owner->FindComponent(name) != nullptr && owner->FindComponent(name) != &root_; ++n)
            name = base + "_" + std::to_string(n);
    }
    try {
        root_.SetName(name);
    } catch (const Exception& e) {
        Fail(line, e.Message());
    }
}

void TLayoutReader::ReadBody(TObject& object, TComponent* asParent)
{
    while (true) {
        TLayoutTokenValue token = lexer_.Next();
        if (token.Kind == TLayoutToken::Symbol && token.Text == "}")
            return;
        if (token.Kind == TLayoutToken::Symbol && token.Text == ":") {
            if (asParent == nullptr)
                Fail(token.Line, "composant dans un objet imbriqué");
            ReadComponent({}, token.Line, *asParent);
            continue;
        }
        if (token.Kind != TLayoutToken::Ident)
            Fail(token.Line, token.Kind == TLayoutToken::End ? "'}' manquant" : "'" + token.Text + "' inattendu");
        const TLayoutTokenValue& next = lexer_.Peek();
        if (next.Kind == TLayoutToken::Symbol && next.Text == ":") {
            if (asParent == nullptr)
                Fail(token.Line, "composant dans un objet imbriqué");
            lexer_.Next();
            ReadComponent(token.Text, token.Line, *asParent);
        } else if (next.Kind == TLayoutToken::Symbol && next.Text == "{") {
            lexer_.Next();
            const TPropInfo* prop = object.ClassType().FindProperty(token.Text);
            if (prop == nullptr || prop->Kind != TTypeKind::Nested)
                Fail(token.Line, "pas d'objet imbriqué " + token.Text + " dans " + object.ClassName());
            ReadBody(*NestedObject(object, *prop, token.Line), nullptr);
        } else {
            ReadProperty(object, token);
        }
    }
}

void TLayoutReader::ReadComponent(const std::string& name, int line, TComponent& parent)
{
    const TLayoutTokenValue className = Expect(TLayoutToken::Ident, "nom de classe");
    ExpectSymbol('{');
    TComponent* component = root_.FindComponent(name);
    if (component != nullptr) {
        if (std::find(loaded_.begin(), loaded_.end(), component) != loaded_.end())
            Fail(line, "composant " + name + " en double");
        if (!SameText(component->ClassName(), className.Text))
            Fail(line, name + " est un " + component->ClassName() + ", pas un " + className.Text);
        component->SetStateFlag(csLoading, true);
        component->SetStateFlag(csReading, true);
    } else {
        const TClass* cls = GetClass(className.Text);
        if (cls == nullptr)
            Fail(className.Line, "classe " + className.Text + " inconnue");
        if (!cls->CanCreate())
            Fail(className.Line, "la classe " + className.Text + " ne peut pas être créée");
        try {
            SetCreatingForReader(true);
            component = cls->Create(&root_);
            SetCreatingForReader(false);
        } catch (const Exception& e) {
            SetCreatingForReader(false);
            Fail(className.Line, e.Message());
        }
    }
    loaded_.push_back(component);
    try {
        component->SetName(name);
        component->SetParentComponent(&parent);
    } catch (const Exception& e) {
        Fail(line, e.Message());
    }
    ReadBody(*component, component);
    component->SetStateFlag(csReading, false);
}

TObject* TLayoutReader::NestedObject(TObject& holder, const TPropInfo& prop, int line)
{
    const TPropValue value = prop.Get(holder);
    TObject* const* nested = std::get_if<TObject*>(&value);
    if (nested == nullptr || *nested == nullptr)
        Fail(line, "l'objet " + prop.Name + " n'existe pas");
    return *nested;
}

void TLayoutReader::ReadProperty(TObject& object, const TLayoutTokenValue& first)
{
    TObject* holder = &object;
    std::string path = first.Text;
    const TPropInfo* prop = holder->ClassType().FindProperty(first.Text);
    while (true) {
        if (prop == nullptr)
            Fail(first.Line, "propriété " + path + " inconnue dans " + object.ClassName());
        const TLayoutTokenValue& next = lexer_.Peek();
        if (next.Kind != TLayoutToken::Symbol || next.Text != ".")
            break;
        lexer_.Next();
        if (prop->Kind != TTypeKind::Nested)
            Fail(first.Line, path + " n'est pas un objet imbriqué");
        holder = NestedObject(*holder, *prop, first.Line);
        const TLayoutTokenValue member = Expect(TLayoutToken::Ident, "nom de propriété");
        path += "." + member.Text;
        prop = holder->ClassType().FindProperty(member.Text);
    }
    ExpectSymbol('=');
    ReadValue(*holder, *prop, first.Line);
}

void TLayoutReader::Apply(TObject& holder, const TPropInfo& prop, const TPropValue& value, int line)
{
    if (!prop.Set)
        Fail(line, "la propriété " + prop.Name + " est en lecture seule");
    try {
        prop.Set(holder, value);
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Fail(line, prop.Name + " : " + e.Message());
    }
}

void TLayoutReader::ReadValue(TObject& holder, const TPropInfo& prop, int line)
{
    auto wrongValue = [&](const TLayoutTokenValue& token) {
        Fail(token.Line, "valeur '" + token.Text + "' incorrecte pour " + prop.Name);
    };
    switch (prop.Kind) {
    case TTypeKind::Integer: {
        const TLayoutTokenValue token = lexer_.Next();
        long long value = 0;
        const char* begin = token.Text.data() + (token.Text.starts_with('+') ? 1 : 0);
        const char* end = token.Text.data() + token.Text.size();
        if (token.Kind != TLayoutToken::Number || std::from_chars(begin, end, value).ptr != end)
            wrongValue(token);
        Apply(holder, prop, TPropValue(value), line);
        return;
    }
    case TTypeKind::Boolean:
    case TTypeKind::WordBool: {
        const TLayoutTokenValue token = lexer_.Next();
        if (token.Kind != TLayoutToken::Ident || (!SameText(token.Text, "true") && !SameText(token.Text, "false")))
            wrongValue(token);
        Apply(holder, prop, TPropValue(SameText(token.Text, "true") ? 1LL : 0LL), line);
        return;
    }
    case TTypeKind::Float: {
        const TLayoutTokenValue token = lexer_.Next();
        double value = 0;
        const char* begin = token.Text.data() + (token.Text.starts_with('+') ? 1 : 0);
        const char* end = token.Text.data() + token.Text.size();
        if ((token.Kind != TLayoutToken::Number && token.Kind != TLayoutToken::Ident) ||
            std::from_chars(begin, end, value).ptr != end)
            wrongValue(token);
        Apply(holder, prop, TPropValue(value), line);
        return;
    }
    case TTypeKind::String: {
        const TLayoutTokenValue token = lexer_.Next();
        if (token.Kind != TLayoutToken::String)
            wrongValue(token);
        Apply(holder, prop, TPropValue(token.Text), line);
        return;
    }
    case TTypeKind::Enumeration: {
        const TLayoutTokenValue token = lexer_.Next();
        const int value = token.Kind == TLayoutToken::Ident ? prop.Enum->ValueOf(token.Text) : -1;
        if (value < 0)
            wrongValue(token);
        Apply(holder, prop, TPropValue(static_cast<long long>(value)), line);
        return;
    }
    case TTypeKind::Set: {
        ExpectSymbol('[');
        long long bits = 0;
        if (lexer_.Peek().Kind == TLayoutToken::Symbol && lexer_.Peek().Text == "]") {
            lexer_.Next();
        } else {
            while (true) {
                const TLayoutTokenValue token = lexer_.Next();
                const int value = token.Kind == TLayoutToken::Ident ? prop.Enum->ValueOf(token.Text) : -1;
                if (value < 0)
                    wrongValue(token);
                bits |= 1LL << value;
                const TLayoutTokenValue separator = lexer_.Next();
                if (separator.Kind == TLayoutToken::Symbol && separator.Text == "]")
                    break;
                if (separator.Kind != TLayoutToken::Symbol || separator.Text != ",")
                    Fail(separator.Line, "',' ou ']' attendu");
            }
        }
        Apply(holder, prop, TPropValue(bits), line);
        return;
    }
    case TTypeKind::Nested:
        Fail(line, prop.Name + " est un objet imbriqué : écrire un bloc " + prop.Name + " { ... }");
    case TTypeKind::Reference: {
        const TLayoutTokenValue token = Expect(TLayoutToken::Ident, "nom de composant");
        if (SameText(token.Text, "nil"))
            Apply(holder, prop, TPropValue(static_cast<TObject*>(nullptr)), line);
        else
            fixups_.push_back({&holder, &prop, token.Text, token.Line});
        return;
    }
    case TTypeKind::Binary:
        ExpectSymbol('{');
        Apply(holder, prop, TPropValue(lexer_.ReadHexBlock()), line);
        return;
    case TTypeKind::Method: {
        const TLayoutTokenValue token = Expect(TLayoutToken::Ident, "nom de gestionnaire");
        void* slot = prop.Slot(holder);
        if (SameText(token.Text, "nil")) {
            prop.ClearSlot(slot);
            return;
        }
        const TMethodInfo* method = root_.ClassType().FindMethod(token.Text);
        if (method == nullptr)
            Fail(token.Line, "gestionnaire " + token.Text + " inconnu dans " + root_.ClassName());
        if (method->Signature != prop.Signature)
            Fail(token.Line, "le gestionnaire " + token.Text + " ne convient pas à l'événement " + prop.Name);
        method->AssignTo(slot, root_);
        return;
    }
    }
}

void ReadLayout(TComponent& root, std::string_view text, const std::string& sourceName)
{
    TLayoutReader(root, text, sourceName).Read();
}
