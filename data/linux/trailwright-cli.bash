# bash completion for trailwright-cli                        -*- shell-script -*-
# Installed as share/bash-completion/completions/trailwright-cli. Needs only
# bash itself, not the bash-completion helpers.

# Options that build a profile, shared by generate, check and profile write.
_trailwright_cli_selection="--profile --index --file-types --ignore-folder --ignore-file
    --titles --no-titles"
# The options of the written page, which check does not take.
_trailwright_cli_profile="$_trailwright_cli_selection --output --format --color --styles
    --no-styles --images --no-images --folder-images --no-folder-images --folder-links
    --no-folder-links --trim-titles --folder-titles --no-folder-titles --sort
    --lang --page-title --collapsible --no-collapsible --filter-box --no-filter-box
    --credit --no-credit
    --max-links --no-max-links --template --no-template"
# The search-engine sitemaps, profile settings of generate and profile write;
# each on/off one has a negation that turns a profile's setting off.
_trailwright_cli_sitemaps="--xml-sitemap --no-xml-sitemap --xml-output --text-sitemap
    --xml-include-pictures --no-xml-include-pictures --clean-urls --no-clean-urls
    --xml-all-pages --no-xml-all-pages --xml-images --no-xml-images --lastmod
    --xml-gzip --no-xml-gzip --robots-txt --no-robots-txt"

# Options of Command (generate, check, profile, show, write, or empty for the
# program itself).
_trailwright_cli_options() {
    case $1 in
    generate)
        echo "$_trailwright_cli_profile $_trailwright_cli_sitemaps --quiet --overwrite --help"
        ;;
    check)
        echo "$_trailwright_cli_selection --format --json --path-base --ignore-url --baseline --site-url"
        echo "--strict --skip --only --max-depth"
        echo "--all --quiet --external --accept --host-concurrency --max-concurrency --host-interval"
        echo "--timeout --retries --max-retry-wait --user-agent --cache --max-cache-age --help"
        ;;
    write) echo "$_trailwright_cli_profile $_trailwright_cli_sitemaps --help" ;;
    show | profile) echo "--help" ;;
    *) echo "--help --version" ;;
    esac
}

# Fills COMPREPLY with the words of List that start with Current.
_trailwright_cli_words() {
    local IFS=$' \t\n'
    # shellcheck disable=SC2207 # the words hold no blanks
    COMPREPLY=($(compgen -W "$1" -- "$2"))
}

# Fills COMPREPLY with file names (-f) or folder names (-d).
_trailwright_cli_paths() {
    local kind=$1 cur=$2 line
    COMPREPLY=()
    while IFS= read -r line; do
        COMPREPLY+=("$line")
    done < <(compgen "$kind" -- "$cur")
    # Quote and slash the names as file names; only inside a real completion.
    compopt -o filenames 2>/dev/null || true
}

# Completes the value of Option of Command; returns 1 when Option takes no
# value.
_trailwright_cli_value() {
    local option=$1 cur=$2 command=$3
    case $option in
    --profile | --index | --output | --ignore-file | --xml-output | --text-sitemap | --baseline | \
        --template | --cache)
        _trailwright_cli_paths -f "$cur"
        ;;
    --ignore-folder | --path-base) _trailwright_cli_paths -d "$cur" ;;
    --format)
        if [[ $command == check ]]; then
            _trailwright_cli_words "text json junit sarif github markdown html" "$cur"
        else
            _trailwright_cli_words "list paragraph modern" "$cur"
        fi
        ;;
    --color)
        if [[ $cur == *=* ]]; then
            # The key is typed: only "none" can be completed, #RRGGBB cannot.
            _trailwright_cli_words "${cur%%=*}=none" "$cur"
        else
            _trailwright_cli_words "background= text= link= visited= active=" "$cur"
            compopt -o nospace 2>/dev/null || true
        fi
        ;;
    --lastmod) _trailwright_cli_words "mtime git none" "$cur" ;;
    --trim-titles) _trailwright_cli_words "auto none" "$cur" ;;
    --sort) _trailwright_cli_words "none name" "$cur" ;;
    --max-cache-age) _trailwright_cli_words "30m 12h 1d 2d" "$cur" ;;
    --skip | --only)
        # The kinds of findings, by their ids (trailwright-cli check --help).
        _trailwright_cli_words "deadLink missingAnchor folderLinkWithoutDefaultPage orphanPage
            missingTitle emptyTitle duplicateTitle folderWithoutDefaultPage notFullyChecked
            unreadableFolder externalDeadLink movedPermanently missingAlt missingLang
            missingDescription duplicateDescription missingH1 mixedContent tooDeep redirectPage
            redirectChain duplicateId" "$cur"
        ;;
    --file-types | --xml-sitemap | --ignore-url | --lang | --page-title | --max-links | --accept | \
        --site-url | --host-concurrency | --max-concurrency | --host-interval | --timeout | \
        --retries | --max-retry-wait | --user-agent | --max-depth) COMPREPLY=() ;;
    *) return 1 ;;
    esac
    return 0
}

_trailwright_cli() {
    local cword=$COMP_CWORD
    local -a words=("${COMP_WORDS[@]}")
    local cur=${words[cword]} prev=""
    ((cword > 0)) && prev=${words[cword - 1]}
    COMPREPLY=()

    # Bash splits "--color=link=none" at every "=" (COMP_WORDBREAKS): join
    # the pieces back, so that Option=Value and KEY=VALUE read as typed.
    local joined="" i=$cword
    while ((i > 1)) && [[ ${words[i]} == "=" || ${words[i - 1]} == "=" ]]; do
        joined=${words[i]}$joined
        ((i--))
    done
    if [[ -n $joined ]]; then
        cur=${words[i]}$joined
        prev=${words[i - 1]}
        cword=$i
    fi
    local full=$cur
    if [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
    fi

    # The command words given so far: generate, check, or profile show|write.
    local command="" sub=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        -*) ;;
        *)
            if [[ -z $command ]]; then
                command=${words[i]}
            elif [[ $command == profile && -z $sub ]]; then
                sub=${words[i]}
            fi
            ;;
        esac
    done

    if [[ $prev == -* ]] && _trailwright_cli_value "$prev" "$cur" "$command"; then
        # Bash replaces only the text after the last "=" it split at: give
        # back what follows it in each completed word.
        local replaced=${COMP_WORDS[COMP_CWORD]}
        [[ $replaced == "=" ]] && replaced=""
        local lead=${full:0:${#full}-${#cur}}
        local cut=$((${#full} - ${#replaced}))
        for i in "${!COMPREPLY[@]}"; do
            COMPREPLY[i]=$lead${COMPREPLY[i]}
            COMPREPLY[i]=${COMPREPLY[i]:cut}
        done
        return 0
    fi

    if [[ $cur == -* ]]; then
        _trailwright_cli_words "$(_trailwright_cli_options "${sub:-$command}")" "$cur"
        return 0
    fi
    case $command in
    "") _trailwright_cli_words "generate check profile" "$cur" ;;
    generate | check)
        # No words of their own: an empty word lists the options.
        [[ -z $cur ]] && _trailwright_cli_words "$(_trailwright_cli_options "$command")" ""
        ;;
    profile)
        if [[ -z $sub ]]; then
            _trailwright_cli_words "show write" "$cur"
        else
            # The profile file of show and write.
            _trailwright_cli_paths -f "$cur"
        fi
        ;;
    esac
    return 0
}

complete -F _trailwright_cli trailwright-cli
