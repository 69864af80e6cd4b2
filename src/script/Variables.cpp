#include "script/Variables.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "script/NHelper.hpp"
#include "script/Parser.hpp"

#include <pugixml.hpp>

#include <climits>
#include <filesystem>

namespace crv {

namespace {
bool gameModeOn() {
    const auto* vars = Services::SysVars();
    return vars && vars->gameMode;
}

bool isGlobalName(const std::wstring& name) {
    return name.size() >= 2 && name.front() == L'*';
}

// The value of a right-hand token: a literal number or the numeric value of a named variable.
bool operandValue(const std::vector<std::wstring>& tokens, const std::wstring& token, int& out,
                  const wchar_t* routine) {
    if (NHelper::isNumber(token, true)) {
        if (NHelper::toInt32(token, out))
            return true;
        OutputDebugStringN(L"[%s] ERROR: number:'%s' IS BEYOND 32 BITS \n", routine, token.c_str());
        return false;
    }
    return getVariableValue(tokens, token, out);
}

// The longest expansion chain we follow in one token; a self-referencing script variable
// would otherwise grow the token forever.
constexpr int kMaxReferences = 256;
} // namespace

// ---------------------------------------------------------------------------------------------
// global0.xml

void LoadGlobalVariables() {
    auto* vars = Services::SysVars();
    if (!vars)
        return;
    const std::string path = toNarrow(vars->saveDir + L"global0.xml");
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (!result) {
        if (result.status != pugi::status_file_not_found)
            OutputDebugStringN(L"WARNING. (LoadGlobalVariables) global0.xml could not be read: %s \n",
                               toWide(result.description()).c_str());
        return;
    }
    for (const pugi::xml_node node : doc.child("GlobalVars").children())
        vars->variables[toWide(node.attribute("var_name").as_string())] =
            toWide(node.attribute("var_val").as_string());
}

bool SaveGlobalVariables() {
    const auto* vars = Services::SysVars();
    if (!vars)
        return false;
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("GlobalVars");
    for (const auto& [name, value] : vars->variables) {
        if (!isGlobalName(name))
            continue;
        pugi::xml_node entry = root.append_child("var");
        entry.append_attribute("var_name") = toNarrow(name).c_str();
        entry.append_attribute("var_val") = toNarrow(value).c_str();
    }
    std::error_code error;
    const std::filesystem::path dir(toNarrow(vars->saveDir));
    std::filesystem::create_directories(dir, error);
    const std::filesystem::path target = dir / "global0.xml";
    const std::filesystem::path temporary = dir / "global0.xml.tmp";
    // A crash while writing must not cost the player the globals already saved.
    if (!doc.save_file(temporary.c_str(), "\t")) {
        OutputDebugStringN(L"ERROR. (SaveGlobalVariables) cannot write:%s \n",
                           toWide(temporary.string()).c_str());
        return false;
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        OutputDebugStringN(L"ERROR. (SaveGlobalVariables) cannot replace:%s err:%s \n",
                           toWide(target.string()).c_str(), toWide(error.message()).c_str());
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// References and values

std::wstring ExpandVariables(const std::wstring& token) {
    if (token.empty())
        return token;
    const auto* vars = Services::SysVars();
    Parser* parser = (Services::pNParser && !Services::pNParser->m_parserDeque.empty())
                         ? Services::pNParser->getCurParser().get()
                         : nullptr;
    std::wstring work = token;
    std::size_t open = work.find(L"{{");
    std::size_t close = work.find(L"}}");
    int references = 0;
    while (open != std::wstring::npos && close != std::wstring::npos) {
        if (close >= open + 2) {
            if (++references > kMaxReferences) {
                OutputDebugStringN(L"WARNING. (ExpandVariables) too many references in token:'%s' \n",
                                   token.c_str());
                break;
            }
            const std::wstring name = work.substr(open + 2, close - open - 2);
            if (!name.empty() && name.front() == L'_' && parser) {
                for (const auto& [varName, value] : parser->getScriptVars()) {
                    if (varName == name) {
                        work.replace(open, close + 2 - open, value);
                        break;
                    }
                }
            }
            if (vars) {
                auto it = vars->variables.find(name);
                if (it != vars->variables.end())
                    work = it->second;
            }
        }
        open = work.find(L"{{", open + 1);
        close = work.find(L"}}", close + 1);
    }
    return work;
}

bool getVariableValue(const std::vector<std::wstring>&, const std::wstring& name, int& out) {
    const auto* vars = Services::SysVars();
    if (!vars || vars->variables.find(name) == vars->variables.end()) {
        OutputDebugStringN(L"[getVariableValue] ERROR: value:'%s' DOES NOT EXIST \n", name.c_str());
        return false;
    }
    const auto it = vars->variables.find(name);
    if (!NHelper::toInt32(it->second, out)) {
        OutputDebugStringN(L"[getVariableValue] ERROR: value:'%s' IS NOT A 32-BIT NUMBER:'%s' \n",
                           name.c_str(), it->second.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// var and if

namespace CmdHandlers {

void ExecuteVar(std::vector<std::wstring>& tokens) {
    if (!gameModeOn() || tokens.size() < 4)
        return;
    auto* vars = Services::SysVars();
    const std::wstring& name = tokens[1];
    const std::wstring& op = tokens[2];
    const std::wstring& rhs = tokens[3];
    std::wstring value;
    if (op == L"=") {
        if (!rhs.empty() && rhs.front() == L'\'') {
            std::wstring text;
            for (std::size_t i = 3; i < tokens.size(); ++i)
                text += L" " + tokens[i];
            // Drop the space and the opening quote in front and the closing quote behind.
            value = text.size() >= 3 ? text.substr(2, text.size() - 3) : std::wstring();
        } else if (NHelper::isNumber(rhs, true)) {
            int unused = 0;
            if (!NHelper::toInt32(rhs, unused)) {
                OutputDebugStringN(
                    L"[CmdHandlers::ExecuteVar] ERROR: number:'%s' IS BEYOND 32 BITS. '%s' unchanged \n",
                    rhs.c_str(), name.c_str());
                return;
            }
            value = rhs;
        } else {
            int number = 0;
            if (!getVariableValue(tokens, rhs, number))
                return;
            value = std::to_wstring(number);
        }
    } else if (op == L"+=" || op == L"-=" || op == L"*=" || op == L"/=") {
        int right = 0;
        int left = 0;
        if (!operandValue(tokens, rhs, right, L"CmdHandlers::ExecuteVar") ||
            !getVariableValue(tokens, name, left))
            return;
        long long result = 0;
        switch (op[0]) {
        case L'+':
            result = static_cast<long long>(left) + right;
            break;
        case L'-':
            result = static_cast<long long>(left) - right;
            break;
        case L'*':
            result = static_cast<long long>(left) * right;
            break;
        default:
            if (right == 0) {
                OutputDebugStringN(L"[CmdHandlers::ExecuteVar] ERROR: DIVISION BY ZERO. '%s' unchanged \n",
                                   name.c_str());
                return;
            }
            result = static_cast<long long>(left) / right;
        }
        if (result > INT_MAX || result < INT_MIN) {
            OutputDebugStringN(L"[CmdHandlers::ExecuteVar] ERROR: RESULT BEYOND 32 BITS. '%s' unchanged \n",
                               name.c_str());
            return;
        }
        value = std::to_wstring(result);
    } else {
        OutputDebugStringN(L"[CmdHandlers::ExecuteVar] ERROR: calculation:'%s' DOES NOT EXIST \n",
                           op.c_str());
        return;
    }
    vars->variables[name] = value;
    if (isGlobalName(name))
        SaveGlobalVariables();
}

void ExecuteVarIf(std::vector<std::wstring>& tokens) {
    if (!gameModeOn() || tokens.size() < 6)
        return;
    const std::wstring& op = tokens[2];
    int left = 0;
    int right = 0;
    const bool haveLeft = getVariableValue(tokens, tokens[1], left);
    const bool haveRight = operandValue(tokens, tokens[3], right, L"CmdHandlers::ExecuteVarIf");
    bool condition = false;
    if (haveLeft && haveRight) {
        if (op == L"==")
            condition = left == right;
        else if (op == L"!=")
            condition = left != right;
        else if (op == L">=")
            condition = left >= right;
        else if (op == L">")
            condition = left > right;
        else if (op == L"<=")
            condition = left <= right;
        else if (op == L"<")
            condition = left < right;
        else {
            OutputDebugStringN(L"[CmdHandlers::ExecuteVarIf] ERROR: condition:'%s' DOES NOT EXIST \n",
                               op.c_str());
            return;
        }
    } else {
        condition = op == L"!=";
    }

    std::shared_ptr<Parser> parser = Services::CurParser();
    auto jumpTo = [&](const std::wstring& target, const std::wstring& bookmark) {
        if (target == L"here")
            parser->GotoBookmark(bookmark);
        else
            parser->GoToScript(target, bookmark);
    };
    if (condition) {
        jumpTo(tokens[4], tokens[5]);
    } else if (tokens.size() >= 9) {
        jumpTo(tokens[7], tokens[8]);
    } else {
        // Without a complete else part reading goes on after the if line. Inside a read pass the
        // pass itself does that; a stored line (trigger) needs a pass of its own.
        if (!parser->isReading())
            parser->ReadScript(-1);
        OutputDebugStringN(L"[CmdHandlers::ExecuteVarIf] condition false: continue cur script. \n");
    }
}

} // namespace CmdHandlers
} // namespace crv
