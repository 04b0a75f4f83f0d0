#include "platform/Prompts.h"

Prompts::~Prompts() = default;
