// Translation of NV fragment programs ("!!FP1.0") into ARB fragment programs.
// Registers, attributes, parameters and most instructions map one to one;
// the comparisons ARB lacks, RFL, absolute-value operands and the condition
// code (C suffix, KIL with a condition) are built from ARB instructions on
// scratch temporaries whose names start with "nvx". NV names become ARB names
// with a "c_" prefix so they cannot collide with ARB keywords.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/nvfp.h"

namespace platform {
inline namespace PLATFORM_BUILD {

namespace {

// ---------------------------------------------------------------- tokens ----

enum class Tok { End, Ident, Number, Punct };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    int line = 1;
};

class Lexer {
public:
    Lexer(const char* text, size_t length, size_t start) : p_(text), n_(length), i_(start) {}

    Token next() {
        skipSpace();
        Token t;
        t.line = line_;
        if (i_ >= n_) return t;
        const char c = p_[i_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t j = i_;
            while (j < n_ && (std::isalnum(static_cast<unsigned char>(p_[j])) || p_[j] == '_')) ++j;
            t.kind = Tok::Ident;
            t.text.assign(p_ + i_, j - i_);
            i_ = j;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i_ + 1 < n_ && std::isdigit(static_cast<unsigned char>(p_[i_ + 1])))) {
            size_t j = i_;
            while (j < n_ && (std::isdigit(static_cast<unsigned char>(p_[j])) || p_[j] == '.')) ++j;
            if (j < n_ && (p_[j] == 'e' || p_[j] == 'E')) {
                size_t k = j + 1;
                if (k < n_ && (p_[k] == '+' || p_[k] == '-')) ++k;
                if (k < n_ && std::isdigit(static_cast<unsigned char>(p_[k]))) {
                    while (k < n_ && std::isdigit(static_cast<unsigned char>(p_[k]))) ++k;
                    j = k;
                }
            }
            t.kind = Tok::Number;
            t.text.assign(p_ + i_, j - i_);
            i_ = j;
        } else {
            t.kind = Tok::Punct;
            t.text.assign(1, c);
            ++i_;
        }
        return t;
    }

private:
    void skipSpace() {
        while (i_ < n_) {
            const char c = p_[i_];
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (c == '#') {
                while (i_ < n_ && p_[i_] != '\n') ++i_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i_;
            } else {
                return;
            }
        }
    }

    const char* p_;
    size_t n_;
    size_t i_;
    int line_ = 1;
};

// ---------------------------------------------------------------- instruction table ----

enum class Kind {
    Plain,    // same instruction in ARB
    Swapped,  // SGT / SLE: ARB SLT / SGE with the operands swapped
    Equal,    // SEQ
    NotEqual, // SNE
    False,    // SFL
    True,     // STR
    Reflect,  // RFL
    Texture,  // TEX, TXP
    Kill,     // KIL
};

struct OpInfo {
    const char* nv;
    const char* arb;
    int sources;
    Kind kind;
};

const OpInfo kOps[] = {
    {"ADD", "ADD", 2, Kind::Plain}, {"COS", "COS", 1, Kind::Plain}, {"DP3", "DP3", 2, Kind::Plain},
    {"DP4", "DP4", 2, Kind::Plain}, {"DST", "DST", 2, Kind::Plain}, {"EX2", "EX2", 1, Kind::Plain},
    {"FLR", "FLR", 1, Kind::Plain}, {"FRC", "FRC", 1, Kind::Plain}, {"LG2", "LG2", 1, Kind::Plain},
    {"LIT", "LIT", 1, Kind::Plain}, {"LRP", "LRP", 3, Kind::Plain}, {"MAD", "MAD", 3, Kind::Plain},
    {"MAX", "MAX", 2, Kind::Plain}, {"MIN", "MIN", 2, Kind::Plain}, {"MOV", "MOV", 1, Kind::Plain},
    {"MUL", "MUL", 2, Kind::Plain}, {"POW", "POW", 2, Kind::Plain}, {"RCP", "RCP", 1, Kind::Plain},
    {"RSQ", "RSQ", 1, Kind::Plain}, {"SGE", "SGE", 2, Kind::Plain}, {"SIN", "SIN", 1, Kind::Plain},
    {"SLT", "SLT", 2, Kind::Plain}, {"SUB", "SUB", 2, Kind::Plain}, {"SGT", "SLT", 2, Kind::Swapped},
    {"SLE", "SGE", 2, Kind::Swapped}, {"SEQ", "", 2, Kind::Equal}, {"SNE", "", 2, Kind::NotEqual},
    {"SFL", "", 2, Kind::False}, {"STR", "", 2, Kind::True}, {"RFL", "", 2, Kind::Reflect},
    {"TEX", "TEX", 1, Kind::Texture}, {"TXP", "TXP", 1, Kind::Texture}, {"KIL", "", 0, Kind::Kill},
};

// Instructions of NV fragment programs that have no ARB counterpart.
const char* const kUnsupported[] = {"DDX", "DDY", "PK2H", "PK2US", "PK4B", "PK4UB", "UP2H",
                                    "UP2US", "UP4B", "UP4UB", "X2D", "TXD"};

// ---------------------------------------------------------------- operands ----

struct Source {
    bool negate = false;
    bool absolute = false;
    std::string reg;      // ARB name of the register or parameter
    std::string swizzle;  // "" or ".x" / ".xyzw"
};

struct Dest {
    std::string reg;  // empty for RC / HC (condition code only)
    std::string mask;
};

std::string sourceText(const Source& s, bool negate = false) {
    const bool n = s.negate != negate;
    return (n ? "-" : "") + s.reg + s.swizzle;
}

bool isComponent(char c) { return c == 'x' || c == 'y' || c == 'z' || c == 'w'; }

// The decimal number `digits` when it is at most `max`; false for an empty
// text, a character other than a digit, or a larger value (however many
// digits it has: nothing wraps).
bool boundedIndex(const std::string& digits, int max, int& value) {
    if (digits.empty()) return false;
    long long v = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = 10 * v + (c - '0');
        if (v > max) return false;
    }
    value = static_cast<int>(v);
    return true;
}

// ---------------------------------------------------------------- translator ----

class Translator {
public:
    Translator(const char* text, size_t length) : text_(text), length_(length), lex_(text, length, 0) {}

    bool run(NvTranslation& out) {
        if (!header()) return fail(out);
        advance();
        while (true) {
            if (tok_.kind == Tok::End) {
                error("END is missing");
                return fail(out);
            }
            if (tok_.kind != Tok::Ident) {
                error("a statement starts with '" + tok_.text + "'");
                return fail(out);
            }
            if (tok_.text == "END") break;
            if (!statement()) return fail(out);
        }
        out.arb = assemble();
        out.declarations = declarations_;
        out.error.clear();
        return true;
    }

private:
    bool fail(NvTranslation& out) {
        out.arb.clear();
        out.declarations.clear();
        out.error = error_;
        return false;
    }

    bool header() {
        static const char kHeader[] = "!!FP1.0";
        const size_t n = sizeof(kHeader) - 1;
        if (length_ < n || std::string(text_, n) != kHeader) {
            error_ = "line 1: the text does not start with !!FP1.0";
            return false;
        }
        if (length_ > n && !std::isspace(static_cast<unsigned char>(text_[n]))) {
            error_ = "line 1: the text does not start with !!FP1.0";
            return false;
        }
        lex_ = Lexer(text_, length_, n);
        return true;
    }

    void advance() { tok_ = lex_.next(); }

    bool error(const std::string& cause) {
        if (error_.empty()) error_ = "line " + std::to_string(tok_.line) + ": " + cause;
        return false;
    }

    bool expect(const char* punct) {
        if (tok_.kind != Tok::Punct || tok_.text != punct)
            return error(std::string("expected '") + punct + "' instead of '" + tok_.text + "'");
        advance();
        return true;
    }

    bool isPunct(const char* punct) const { return tok_.kind == Tok::Punct && tok_.text == punct; }

    // ---------------------------------------------------------- statements

    bool statement() {
        const std::string word = tok_.text;
        if (word == "DEFINE" || word == "DECLARE") return definition(word == "DECLARE");
        return instruction();
    }

    // DEFINE name = constant;  DECLARE name [= constant];
    bool definition(bool declare) {
        advance();
        if (tok_.kind != Tok::Ident) return error("a name must follow DEFINE / DECLARE");
        const std::string name = tok_.text;
        if (names_.count(name)) return error("'" + name + "' is defined twice");
        advance();
        float v[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        bool hasValue = false;
        if (isPunct("=")) {
            advance();
            if (!constant(v)) return false;
            hasValue = true;
        }
        if (!declare && !hasValue) return error("DEFINE '" + name + "' has no value");
        if (!expect(";")) return false;
        const std::string arbName = "c_" + name;
        names_[name] = arbName;
        if (declare) {
            if (static_cast<int>(declarations_.size()) >= kNvMaxDeclarations)
                return error("too many DECLAREd parameters");
            NvDeclaration d;
            d.name = name;
            d.localIndex = kNvFirstDeclaredLocal + static_cast<int>(declarations_.size());
            for (int i = 0; i < 4; ++i) d.value[i] = v[i];
            declarations_.push_back(d);
            params_ += "PARAM " + arbName + " = program.local[" + std::to_string(d.localIndex) + "];\n";
        } else {
            params_ += "PARAM " + arbName + " = " + vectorText(v) + ";\n";
        }
        return true;
    }

    // A scalar (replicated) or a vector of one to four numbers (missing y and
    // z are 0, a missing w is 1).
    bool constant(float v[4]) {
        if (isPunct("{")) {
            advance();
            int count = 0;
            while (true) {
                if (count == 4) return error("a vector constant has more than four components");
                if (!number(v[count])) return false;
                ++count;
                if (isPunct("}")) break;
                if (!expect(",")) return false;
            }
            advance();
            for (int i = count; i < 4; ++i) v[i] = (i == 3) ? 1.0f : 0.0f;
            return true;
        }
        float s = 0.0f;
        if (!number(s)) return false;
        v[0] = v[1] = v[2] = v[3] = s;
        return true;
    }

    bool number(float& value) {
        bool negative = false;
        if (isPunct("-") || isPunct("+")) {
            negative = tok_.text == "-";
            advance();
        }
        if (tok_.kind != Tok::Number) return error("expected a number instead of '" + tok_.text + "'");
        char* end = nullptr;
        value = std::strtof(tok_.text.c_str(), &end);
        if (end != tok_.text.c_str() + tok_.text.size()) return error("malformed number '" + tok_.text + "'");
        if (!std::isfinite(value)) return error("number '" + tok_.text + "' out of range");
        if (negative) value = -value;
        advance();
        return true;
    }

    static std::string floatText(float f) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
        return buf;
    }

    static std::string vectorText(const float v[4]) {
        return "{ " + floatText(v[0]) + ", " + floatText(v[1]) + ", " + floatText(v[2]) + ", " +
               floatText(v[3]) + " }";
    }

    // ---------------------------------------------------------- instructions

    bool instruction() {
        const std::string word = tok_.text;
        const OpInfo* op = nullptr;
        bool saturate = false;
        bool setsCc = false;
        if (!decode(word, op, saturate, setsCc)) return false;
        advance();
        if (op->kind == Kind::Kill) return kill();

        Dest dst;
        if (!dest(dst)) return false;
        if (dst.reg.empty() && !setsCc) return error("RC / HC are written only with the C suffix");
        std::vector<Source> src;
        for (int i = 0; i < op->sources; ++i) {
            if (!expect(",")) return false;
            Source s;
            if (!source(s)) return false;
            src.push_back(s);
        }
        std::string unit, target;
        if (op->kind == Kind::Texture && !textureTarget(unit, target)) return false;
        if (!expect(";")) return false;
        emit(*op, saturate, setsCc, dst, src, unit, target);
        return true;
    }

    // OPCODE [R|H|X] [C] [_SAT]
    bool decode(const std::string& word, const OpInfo*& op, bool& saturate, bool& setsCc) {
        std::string w = word;
        static const std::string kSat = "_SAT";
        if (w.size() > kSat.size() && w.compare(w.size() - kSat.size(), kSat.size(), kSat) == 0) {
            saturate = true;
            w.resize(w.size() - kSat.size());
        }
        for (const char* u : kUnsupported) {
            const std::string base = u;
            if (w.compare(0, base.size(), base) == 0 && suffixOk(w.substr(base.size())))
                return error("instruction " + base + " is not supported");
        }
        for (const OpInfo& info : kOps) {
            const std::string base = info.nv;
            if (w.compare(0, base.size(), base) != 0) continue;
            const std::string rest = w.substr(base.size());
            if (!suffixOk(rest)) continue;
            if (info.kind == Kind::Kill && (!rest.empty() || saturate))
                return error("KIL takes no suffix");
            op = &info;
            setsCc = !rest.empty() && rest.back() == 'C';
            return true;
        }
        return error("unknown instruction '" + word + "'");
    }

    static bool suffixOk(const std::string& rest) {
        size_t i = 0;
        if (i < rest.size() && (rest[i] == 'R' || rest[i] == 'H' || rest[i] == 'X')) ++i;
        if (i < rest.size() && rest[i] == 'C') ++i;
        return i == rest.size();
    }

    bool dest(Dest& d) {
        if (tok_.kind != Tok::Ident) return error("expected a destination register");
        const std::string name = tok_.text;
        if (name == "RC" || name == "HC") {
            advance();
        } else if (name == "o") {
            advance();
            if (!expect("[")) return false;
            if (tok_.kind != Tok::Ident) return error("expected an output register name");
            const std::string out = tok_.text;
            if (out == "COLR" || out == "COLH")
                d.reg = "result.color";
            else if (out == "DEPR")
                d.reg = "result.depth";
            else
                return error("unknown output register o[" + out + "]");
            advance();
            if (!expect("]")) return false;
        } else {
            if (!temporary(name, d.reg)) return false;
            advance();
        }
        if (isPunct(".")) {
            advance();
            if (tok_.kind != Tok::Ident || !maskOk(tok_.text)) return error("bad write mask");
            d.mask = "." + tok_.text;
            advance();
        }
        if (isPunct("(")) return error("conditional write masks are not supported");
        return true;
    }

    static bool maskOk(const std::string& m) {
        static const char kOrder[] = "xyzw";
        size_t at = 0;
        if (m.empty() || m.size() > 4) return false;
        for (char c : m) {
            while (at < 4 && kOrder[at] != c) ++at;
            if (at == 4) return false;
            ++at;
        }
        return true;
    }

    // R0-R31 and H0-H63, the temporaries of NV fragment programs.
    bool temporary(const std::string& name, std::string& arb) {
        if (name.size() < 2 || (name[0] != 'R' && name[0] != 'H')) return error("unknown register '" + name + "'");
        for (size_t i = 1; i < name.size(); ++i)
            if (!std::isdigit(static_cast<unsigned char>(name[i]))) return error("unknown register '" + name + "'");
        if (name.size() > 2 && name[1] == '0') return error("unknown register '" + name + "'");
        int index = 0;
        if (!boundedIndex(name.substr(1), name[0] == 'R' ? kNvMaxFullTemporary : kNvMaxHalfTemporary, index))
            return error("register '" + name + "' out of range");
        temps_.insert(name);
        arb = name;
        return true;
    }

    bool source(Source& s) {
        if (isPunct("-")) {
            s.negate = true;
            advance();
        } else if (isPunct("+")) {
            advance();
        }
        if (isPunct("|")) {
            s.absolute = true;
            advance();
            if (!sourceRegister(s)) return false;
            return expect("|");
        }
        return sourceRegister(s);
    }

    bool sourceRegister(Source& s) {
        if (isPunct("{") || tok_.kind == Tok::Number) {
            float v[4];
            if (!constant(v)) return false;
            s.reg = literal(v);
            return swizzle(s);
        }
        if (tok_.kind != Tok::Ident) return error("expected a source operand instead of '" + tok_.text + "'");
        const std::string name = tok_.text;
        if (name == "f") {
            advance();
            if (!expect("[")) return false;
            if (tok_.kind != Tok::Ident) return error("expected a fragment attribute name");
            if (!attribute(tok_.text, s.reg)) return false;
            advance();
            if (!expect("]")) return false;
        } else if (name == "p") {
            advance();
            if (!expect("[")) return false;
            if (tok_.kind != Tok::Number || tok_.text.find_first_not_of("0123456789") != std::string::npos)
                return error("expected a parameter number");
            int index = 0;
            if (!boundedIndex(tok_.text, kNvFirstDeclaredLocal - 1, index))
                return error("parameter p[" + tok_.text + "] out of range");
            s.reg = "program.local[" + std::to_string(index) + "]";
            advance();
            if (!expect("]")) return false;
        } else if (names_.count(name)) {
            s.reg = names_[name];
            advance();
        } else {
            if (!temporary(name, s.reg)) return false;
            advance();
        }
        return swizzle(s);
    }

    bool swizzle(Source& s) {
        if (!isPunct(".")) return true;
        advance();
        if (tok_.kind != Tok::Ident || (tok_.text.size() != 1 && tok_.text.size() != 4))
            return error("a swizzle has one or four components");
        for (char c : tok_.text)
            if (!isComponent(c)) return error("bad swizzle '." + tok_.text + "'");
        s.swizzle = "." + tok_.text;
        advance();
        return true;
    }

    bool attribute(const std::string& name, std::string& arb) {
        if (name == "WPOS") {
            arb = "fragment.position";
        } else if (name == "COL0") {
            arb = "fragment.color.primary";
        } else if (name == "COL1") {
            arb = "fragment.color.secondary";
        } else if (name == "FOGC") {
            arb = "fragment.fogcoord";
        } else if (name.size() == 4 && name.compare(0, 3, "TEX") == 0 && name[3] >= '0' && name[3] <= '7') {
            arb = std::string("fragment.texcoord[") + name[3] + "]";
        } else {
            return error("unknown fragment attribute f[" + name + "]");
        }
        return true;
    }

    // , TEXn, 1D|2D|3D|CUBE|RECT
    bool textureTarget(std::string& unit, std::string& target) {
        if (!expect(",")) return false;
        if (tok_.kind != Tok::Ident || tok_.text.size() != 4 || tok_.text.compare(0, 3, "TEX") != 0 ||
            tok_.text[3] < '0' || tok_.text[3] > '7')
            return error("expected a texture unit TEX0-TEX7");
        unit = std::string("texture[") + tok_.text[3] + "]";
        advance();
        if (!expect(",")) return false;
        const std::string t = tok_.text;
        if (t == "1" || t == "2" || t == "3") {
            // "2D" lexes as the number 2 and the name D.
            advance();
            if (tok_.kind != Tok::Ident || tok_.text != "D") return error("expected a texture target");
            target = t + "D";
        } else if (t == "CUBE" || t == "RECT") {
            target = t;
        } else {
            return error("expected a texture target instead of '" + t + "'");
        }
        advance();
        return true;
    }

    // KIL condition[.swizzle];
    bool kill() {
        if (tok_.kind != Tok::Ident) return error("KIL needs a condition");
        const std::string cond = tok_.text;
        static const char* const kConds[] = {"EQ", "GE", "GT", "LE", "LT", "NE", "TR", "FL"};
        bool known = false;
        for (const char* c : kConds) known = known || cond == c;
        if (!known) return error("unknown condition '" + cond + "'");
        advance();
        Source cc;
        cc.reg = "nvxcc";
        if (!swizzle(cc)) return false;
        if (!expect(";")) return false;
        usesCc_ = true;
        const std::string c = sourceText(cc);
        if (cond == "LT") {
            line("KIL " + c);
        } else if (cond == "GT") {
            line("KIL " + sourceText(cc, true));
        } else if (cond == "GE") {
            line("SGE nvxk, " + c + ", nvxzero");
            line("KIL -nvxk");
        } else if (cond == "LE") {
            line("SGE nvxk, nvxzero, " + c);
            line("KIL -nvxk");
        } else if (cond == "EQ") {
            line("SGE nvxk, " + c + ", nvxzero");
            line("SGE nvxk2, nvxzero, " + c);
            line("MUL nvxk, nvxk, nvxk2");
            line("KIL -nvxk");
        } else if (cond == "NE") {
            line("SLT nvxk, " + c + ", nvxzero");
            line("SLT nvxk2, nvxzero, " + c);
            line("ADD nvxk, nvxk, nvxk2");
            line("KIL -nvxk");
        } else if (cond == "TR") {
            line("KIL -nvxone");
        }
        if (cond != "LT" && cond != "GT" && cond != "FL") scratch_.insert("nvxk");
        if (cond == "EQ" || cond == "NE") scratch_.insert("nvxk2");
        return true;
    }

    // ---------------------------------------------------------- output

    std::string literal(const float v[4]) {
        const std::string text = vectorText(v);
        auto it = literals_.find(text);
        if (it != literals_.end()) return it->second;
        const std::string name = "nvxlit" + std::to_string(literals_.size());
        literals_[text] = name;
        params_ += "PARAM " + name + " = " + text + ";\n";
        return name;
    }

    void line(const std::string& s) { body_ += s + ";\n"; }

    // The comparison of the two operands both ways into two scratch
    // registers, then the two results combined into out.
    void compareBothWays(const char* compare, const char* combine, const std::string& sat, const std::string& out,
                         const std::vector<std::string>& s) {
        scratch_.insert("nvxs0");
        scratch_.insert("nvxs1");
        line(std::string(compare) + " nvxs0, " + s[0] + ", " + s[1]);
        line(std::string(compare) + " nvxs1, " + s[1] + ", " + s[0]);
        line(std::string(combine) + sat + " " + out + ", nvxs0, nvxs1");
    }

    // Absolute-value operands become ABS into scratch temporaries first.
    std::vector<std::string> operandTexts(const std::vector<Source>& src) {
        std::vector<std::string> texts;
        for (size_t i = 0; i < src.size(); ++i) {
            if (!src[i].absolute) {
                texts.push_back(sourceText(src[i]));
                continue;
            }
            const std::string tmp = "nvxabs" + std::to_string(i);
            scratch_.insert(tmp);
            Source plain = src[i];
            plain.negate = false;
            line("ABS " + tmp + ", " + sourceText(plain));
            texts.push_back((src[i].negate ? "-" : "") + tmp);
        }
        return texts;
    }

    void emit(const OpInfo& op, bool saturate, bool setsCc, const Dest& dst, const std::vector<Source>& src,
              const std::string& unit, const std::string& target) {
        const std::string sat = saturate ? "_SAT" : "";
        // With the C suffix the result lands in the condition code first and
        // is copied to the destination from there.
        const std::string out = (setsCc ? "nvxcc" : dst.reg) + dst.mask;
        if (setsCc) usesCc_ = true;
        const std::vector<std::string> s = operandTexts(src);
        switch (op.kind) {
        case Kind::Plain: {
            std::string text = std::string(op.arb) + sat + " " + out;
            for (const std::string& t : s) text += ", " + t;
            line(text);
            break;
        }
        case Kind::Swapped:
            line(std::string(op.arb) + sat + " " + out + ", " + s[1] + ", " + s[0]);
            break;
        case Kind::Equal:  // a >= b and b >= a
            compareBothWays("SGE", "MUL", sat, out, s);
            break;
        case Kind::NotEqual:  // a < b or b < a
            compareBothWays("SLT", "ADD", sat, out, s);
            break;
        case Kind::False:
            line("MOV" + sat + " " + out + ", nvxzero");
            usesConstants_ = true;
            break;
        case Kind::True:
            line("MOV" + sat + " " + out + ", nvxone");
            usesConstants_ = true;
            break;
        case Kind::Reflect: {
            // 2 (a.b) / (a.a) a - b
            scratch_.insert("nvxs0");
            scratch_.insert("nvxs1");
            std::string negB;
            if (src[1].absolute)
                negB = s[1][0] == '-' ? s[1].substr(1) : "-" + s[1];
            else
                negB = sourceText(src[1], true);
            line("DP3 nvxs0.x, " + s[0] + ", " + s[1]);
            line("DP3 nvxs0.y, " + s[0] + ", " + s[0]);
            line("RCP nvxs0.y, nvxs0.y");
            line("MUL nvxs0.x, nvxs0.x, nvxs0.y");
            line("ADD nvxs0.x, nvxs0.x, nvxs0.x");
            line("MAD nvxs1, " + s[0] + ", nvxs0.x, " + negB);
            line("MOV" + sat + " " + out + ", nvxs1");
            break;
        }
        case Kind::Texture:
            line(std::string(op.arb) + sat + " " + out + ", " + s[0] + ", " + unit + ", " + target);
            break;
        case Kind::Kill:
            break;
        }
        if (setsCc && !dst.reg.empty()) line("MOV " + dst.reg + dst.mask + ", nvxcc");
    }

    std::string assemble() {
        std::string arb = "!!ARBfp1.0\n";
        std::string temps;
        for (const std::string& t : temps_) temps += (temps.empty() ? "" : ", ") + t;
        if (usesCc_) scratch_.insert("nvxcc");
        for (const std::string& t : scratch_) temps += (temps.empty() ? "" : ", ") + t;
        if (!temps.empty()) arb += "TEMP " + temps + ";\n";
        if (usesCc_ || usesConstants_) {
            arb += "PARAM nvxzero = { 0, 0, 0, 0 };\n";
            arb += "PARAM nvxone = { 1, 1, 1, 1 };\n";
        }
        arb += params_;
        // The condition code starts as zero ("equal") in every component.
        if (usesCc_) arb += "MOV nvxcc, nvxzero;\n";
        arb += body_;
        arb += "END\n";
        return arb;
    }

    const char* text_;
    size_t length_;
    Lexer lex_;
    Token tok_;
    std::string error_;
    std::map<std::string, std::string> names_;     // NV constant name -> ARB name
    std::map<std::string, std::string> literals_;  // constant text -> ARB name
    std::vector<NvDeclaration> declarations_;
    std::set<std::string> temps_;
    std::set<std::string> scratch_;
    std::string params_;
    std::string body_;
    bool usesCc_ = false;
    bool usesConstants_ = false;
};

}  // namespace

bool nvTranslateFragmentProgram(const char* text, size_t length, NvTranslation& out) {
    if (!text) {
        out = NvTranslation();
        out.error = "line 1: no program text";
        return false;
    }
    Translator t(text, length);
    return t.run(out);
}

const char* nvInvalidProgramText() {
    return "!!ARBfp1.0\n# an NV fragment program that could not be translated\nNV_PROGRAM_NOT_TRANSLATED;\nEND\n";
}

}  // namespace nvbuild / plainbuild
}  // namespace platform
