#include "shell/PowerLayer.h"

PowerLayer &PowerLayer::build()
{
    return *new PowerLayer;
}
