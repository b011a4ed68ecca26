#include "link/Command.h"

void Command::FindIpAddr()
{
    setIpAddrList ({});
}
