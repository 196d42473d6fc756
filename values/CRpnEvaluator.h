// Evaluates one postfix formula of the unit table: comma-terminated tokens,
// numbers are pushed, "+ - * /" and "COS" work on the stack.
#pragma once

#include <string>
#include <vector>

class CRpnEvaluator {
public:
    void Init(std::string text);
    void Evaluate();
    // Evaluates first when that has not happened since Init.
    double GetResult();
    void Push(double x);
    // An empty stack gives 0: a formula short of operands must not read outside it.
    double Pop();

private:
    std::string text_;
    bool evaluated_ = false;
    double result_ = 0.0;
    std::vector<double> stack_;
};
