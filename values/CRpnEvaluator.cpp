#include "values/CRpnEvaluator.h"

#include "platform/NumText.h"

#include <cmath>

void CRpnEvaluator::Init(std::string text) {
    text_ = std::move(text);
    evaluated_ = false;
    result_ = 0.0;
}

void CRpnEvaluator::Push(double x) { stack_.push_back(x); }

double CRpnEvaluator::Pop() {
    if (stack_.empty()) return 0.0;
    double x = stack_.back();
    stack_.pop_back();
    return x;
}

void CRpnEvaluator::Evaluate() {
    stack_.clear();
    std::string rest = text_;
    for (;;) {
        size_t comma = rest.find(',');
        // Text after the last comma is ignored; an empty token ends the formula.
        if (comma == std::string::npos || comma == 0) break;
        std::string token = rest.substr(0, comma);
        rest.erase(0, comma + 1);
        for (char& c : token)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (token == "+" || token == "-" || token == "*" || token == "/") {
            double right = Pop();
            double left = Pop();
            switch (token[0]) {
            case '+': Push(left + right); break;
            case '-': Push(left - right); break;
            case '*': Push(left * right); break;
            default: Push(left / right); break;
            }
        } else if (token == "COS") {
            // Degrees, with the formulas' own 3.14.
            Push(std::cos(Pop() * 3.14 / 180.0));
        } else {
            Push(vx::ParseDouble(token));
        }
    }
    result_ = Pop();
    evaluated_ = true;
}

double CRpnEvaluator::GetResult() {
    if (!evaluated_) Evaluate();
    return result_;
}
