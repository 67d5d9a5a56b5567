#include "parameters.h"

#include "text.h"

namespace sqlstandin {
namespace {

std::vector<std::string> declaredNames(std::string_view declaration) {
    std::vector<std::string> names;
    int depth = 0;
    bool expectName = true;
    for (std::size_t i = 0; i < declaration.size(); ++i) {
        const char c = declaration[i];
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        else if (c == ',' && depth == 0) expectName = true;
        else if (c == '@' && expectName) {
            std::size_t end = i + 1;
            while (end < declaration.size() && declaration[end] != ' ' && declaration[end] != '\t' &&
                   declaration[end] != ',' && declaration[end] != '\r' && declaration[end] != '\n')
                ++end;
            names.emplace_back(declaration.substr(i, end - i));
            expectName = false;
            i = end - 1;
        }
    }
    return names;
}

}  // namespace

Parameters Parameters::bind(std::string_view declaration, const std::vector<RpcParameter>& values) {
    Parameters p;
    p.declared_ = declaredNames(declaration);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string name = values[i].name;
        if (name.empty() && i < p.declared_.size()) name = p.declared_[i];
        p.values_.emplace_back(name, values[i].value);
    }
    return p;
}

const SqlValue* Parameters::find(std::string_view name) const {
    for (const auto& [n, v] : values_)
        if (text::sameName(n, name)) return &v;
    return nullptr;
}

}  // namespace sqlstandin
