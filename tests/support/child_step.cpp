#include "support/child_step.h"

#include <gtest/gtest.h>

#include <QString>

#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <map>
#include <string>

namespace lumivex::test {

namespace {

// The descriptor a child reports on; ChildProcess puts its pipe there.
constexpr int reportDescriptor = 3;

std::map<std::string, ChildStep::Work>& registry() {
    static std::map<std::string, ChildStep::Work> steps;
    return steps;
}

QStringList argumentsFromEnvironment() {
    const QString joined = QString::fromUtf8(qgetenv("LUMIVEX_CHILD_ARGUMENTS"));
    return joined.isEmpty() ? QStringList() : joined.split(QChar(0x1f));
}

}  // namespace

ChildStep::ChildStep(const char* name, Work work) : name_(name) {
    const bool added = registry().emplace(name, std::move(work)).second;
    if (!added) {
        std::cerr << "two child steps are named " << name << '\n';
        std::abort();
    }
}

void ChildStep::sendToParent(const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(reportDescriptor, data, left);
        if (written <= 0) {
            return;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
}

std::optional<int> ChildStep::runIfAsked() {
    const QByteArray name = qgetenv("LUMIVEX_CHILD_STEP");
    if (name.isEmpty()) {
        return std::nullopt;
    }
    const auto step = registry().find(name.toStdString());
    if (step == registry().end()) {
        std::cerr << "no child step is named " << name.constData() << '\n';
        return 125;
    }
    try {
        sendToParent(step->second(argumentsFromEnvironment()));
    } catch (const std::exception& error) {
        std::cerr << "child step " << name.constData() << " threw: " << error.what() << '\n';
        return 3;
    }
    return ::testing::UnitTest::GetInstance()->Failed() ? 1 : 0;
}

}  // namespace lumivex::test
