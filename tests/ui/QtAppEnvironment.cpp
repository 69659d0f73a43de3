// One QApplication for every widget test of the binary, created before the first
// test and destroyed after the last. Tests run on the offscreen platform unless
// the environment names another.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class CQtAppEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (QApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        m_pApp = std::make_unique<QApplication>(m_nArgc, m_argv);
    }
    void TearDown() override { m_pApp.reset(); }

private:
    int m_nArgc = 1;
    char m_szName[16] = "app_tests";
    char* m_argv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApp;
};

const auto* const s_pEnv = ::testing::AddGlobalTestEnvironment(new CQtAppEnvironment);

}  // namespace
