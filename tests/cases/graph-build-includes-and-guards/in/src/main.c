#include "kconfig.h"
#include "kconfig.h"
#include <once.h>
#include "once.h"
#include "local.h"
#ifdef FORCED
int forced_first(void) { return 1; }
#endif
#ifdef FOO
int foo_undefined_again(void) { return 0; }
#endif
#if IS_ENABLED(CONFIG_NET)
int net_built_in(void) { return 1; }
#endif
#if IS_ENABLED(CONFIG_USB)
int usb_as_module(void) { return 1; }
#endif
#if IS_ENABLED(CONFIG_WIFI)
int wifi_off(void) { return 0; }
#endif
#if defined(KCONFIG_TWICE) || defined(ONCE_TWICE)
int read_twice(void) { return 0; }
#endif
#ifdef LOCAL_FOUND
int local_header(void) { return 1; }
#endif
#include <qw_nowhere.h>
#ifdef AFTER_MISSING
int maybe_after_missing(void) { return 0; }
#endif
