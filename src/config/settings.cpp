#include "config/settings.h"

#include "config/texts.h"

namespace quenwick {

Settings::Settings()
    : belong("%-*s"),
      nobelong("(null)"),
      multibelong("???"),
      lineno(" %*d "),
      twig1("    | "),
      twig2("      "),
      twig3("    |-"),
      twig4("    +-"),
      nest("<%d>"),
      function("%s()"),
      recursion(text(Text::DefaultRecursion)),
      multi(text(Text::DefaultMulti)),
      expanded(text(Text::DefaultExpanded)),
      caption(text(Text::DefaultCaption)) {}

const std::array<ConfigKey, 16> configKeys = {{
    {"belong", SettingKind::Text, &Settings::belong},
    {"nobelong", SettingKind::Text, &Settings::nobelong},
    {"multibelong", SettingKind::Text, &Settings::multibelong},
    {"lineno", SettingKind::Text, &Settings::lineno},
    {"twig1", SettingKind::Text, &Settings::twig1},
    {"twig2", SettingKind::Text, &Settings::twig2},
    {"twig3", SettingKind::Text, &Settings::twig3},
    {"twig4", SettingKind::Text, &Settings::twig4},
    {"nest", SettingKind::Text, &Settings::nest},
    {"function", SettingKind::Text, &Settings::function},
    {"recursion", SettingKind::Text, &Settings::recursion},
    {"multi", SettingKind::Text, &Settings::multi},
    {"expanded", SettingKind::Text, &Settings::expanded},
    {"caption", SettingKind::Text, &Settings::caption},
    {"systemfunc", SettingKind::SystemFunc, nullptr},
    {"beep", SettingKind::Beep, nullptr},
}};

}  // namespace quenwick
