// One QApplication for the GUI tests, on the offscreen platform unless the
// run asks for another.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

class CQtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char szName[] = "test_gui";
        static char* argv[] = {szName, nullptr};
        m_pApp = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete m_pApp;
        m_pApp = nullptr;
    }

private:
    QApplication* m_pApp = nullptr;
};

[[maybe_unused]] testing::Environment* const g_pQtEnvironment =
    testing::AddGlobalTestEnvironment(new CQtEnvironment);

} // namespace
