#pragma once

#include "cli/Cli.h"
#include "model/SiteMapProfile.h"
#include "support/Errors.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace tw {

// An error of the command line itself: exit status 2 with the usage text.
class UsageError : public TError {
    using TError::TError;
};

// The options that build a profile, shared by every command that takes them.
struct ProfileOptions {
    CLI::Option* profileFile = nullptr;
    CLI::Option* index = nullptr;
    CLI::Option* output = nullptr;
    CLI::Option* format = nullptr;
    CLI::Option* fileTypes = nullptr;
    CLI::Option* ignoreFolder = nullptr;
    CLI::Option* ignoreFile = nullptr;
    CLI::Option* color = nullptr;
    CLI::Option* xmlSitemap = nullptr;
    CLI::Option* xmlOutput = nullptr;
    CLI::Option* textSitemap = nullptr;
    CLI::Option* lastmod = nullptr;
    // Link texts.
    CLI::Option* trimTitles = nullptr;
    CLI::Option* sort = nullptr;
    // The sitemap options that mean nothing without a base URL.
    std::vector<const CLI::Option*> needBaseURL;
    // The modern layout: its options mean nothing to the classic ones.
    CLI::Option* lang = nullptr;
    CLI::Option* pageTitle = nullptr;
    std::vector<const CLI::Option*> modernOnly;
    // Paging of the modern page.
    CLI::Option* maxLinks = nullptr;
    // Flag pairs: the option that turns the setting on and the one that turns it off.
    std::map<CLI::Option*, std::pair<void (*)(TMapProfile&, bool), bool>> flags;
    // Template: a page of the site's own look for the modern nav.
    CLI::Option* pageTemplate = nullptr;

    // LayoutOptions: the options of the written page (--output, --format,
    // --color and the item options), which mean nothing to check; check has
    // a --format of its own.
    void Add(CLI::App& app, bool layoutOptions = true);
    // The search-engine sitemaps, which generate writes beside the page.
    void AddSitemaps(CLI::App& app);
    // An option given on the command line that needs a base URL the built
    // profile lacks is the usage error it was when the options were separate.
    void CheckSitemapNeeds(const CLI::App& app, const TMapProfile& profile) const;
    // An option of the modern layout given on the command line for a
    // profile that ends up with a classic layout is a usage error.
    void CheckModernNeeds(const CLI::App& app, const TMapProfile& profile) const;
    // Applies the options through the profile's setters in command-line order.
    void Apply(const CLI::App& app, TMapProfile& profile) const;

private:
    void Pair(CLI::App& app, const std::string& name, const std::string& what,
              void (*set)(TMapProfile&, bool));
    // The on option keeps its name, the off option is it with "no-" in front.
    void Pair(CLI::App& app, const std::string& name, const std::string& onHelp,
              const std::string& offHelp, void (*set)(TMapProfile&, bool));
};

// The profile's template checked before anything is written: a template
// that cannot be used is a usage error with its message.
void CheckPageTemplate(const TMapProfile& profile);

// Reads a profile file into the profile as the wizard's Open does: the file
// name first (which titles the profile), then the file, then what showing it
// in the wizard's controls does to the profile.
void OpenProfileFile(TMapProfile& profile, const std::string& fileName);

// The start-up profile, then --profile, then the other options left to right.
TMapProfile BuildProfile(const CLI::App& app, const ProfileOptions& options);

// What a run needs of its index page before it scans: one named, its folder
// there (the run's error the wizard also gives), the page itself there; and
// a word on every ignore entry that would leave nothing out.
void CheckIndexPage(const TMapProfile& profile, const CliStreams& streams);

} // namespace tw
