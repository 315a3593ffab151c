// One QApplication for the whole test program (the windows need it), offscreen.

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "desk_ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Oravik"));
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
