#include "PageReaderStatus.h"

#include "StringUtils.h"
#include "WorkerThread.h"
#include "YtDlpProgram.h"


using namespace Qt::Literals::StringLiterals;

PageReaderStatus::PageReaderStatus(QObject *parent)
    : QObject(parent)
{
}

PageReaderStatus::~PageReaderStatus() = default;

void PageReaderStatus::check(const QString &configuredPath)
{
    const int question = ++m_question;
    std::erase_if(m_looks, [](const auto &look) { return look->wait(std::chrono::milliseconds(0)); });
    auto look = std::make_unique<WorkerThread>(u"yt-dlp version"_s, [this, question, configuredPath](WorkerThread &thread) {
        const QString program = YtDlpProgram::locate(configuredPath);
        const QString version =
            program.isEmpty() ? QString() : YtDlpProgram::version(program, [&thread] { return thread.isCancelled(); });
        const QString text =
            version.isEmpty() ? StringUtils::langStr(411) : StringUtils::langStr(410).arg(version, program);
        QMetaObject::invokeMethod(this, [this, question, text] {
            if (question == m_question)
                Q_EMIT told(text);
        }, Qt::QueuedConnection);
    });
    look->start();
    m_looks.push_back(std::move(look));
}
