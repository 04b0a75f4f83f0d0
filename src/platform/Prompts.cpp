#include "platform/Prompts.h"

#include <QFileInfo>

Prompts::~Prompts() = default;

bool mayReplaceFile(Prompts& prompts, const QString& path) {
    return !QFileInfo::exists(path) ||
           prompts.ask(path + QStringLiteral(" İsimli bir dosya mevcuttur.\rSilinerek "
                                             "Değiştirilmesini İstermisiniz ?"),
                       PromptIcon::Information,
                       {PromptButton::Yes, PromptButton::Cancel}) == PromptButton::Yes;
}
