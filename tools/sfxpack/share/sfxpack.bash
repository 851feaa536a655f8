# bash completion for sfxpack: the commands, each command's options, and files or folders.
_sfxpack() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "create list verify extract restub --help --version" -- "$cur")
        return
    fi
    case $prev in
        -d|--directory) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
        --level) mapfile -t COMPREPLY < <(compgen -W "0 1 2 3 4 5 6 7 8 9 10 11 12" -- "$cur"); return ;;
        -j|--jobs) mapfile -t COMPREPLY < <(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 4)")" -- "$cur"); return ;;
        --icon) mapfile -t COMPREPLY < <(compgen -f -X '!*.[iI][cC][oO]' -- "$cur"); compopt -o plusdirs 2>/dev/null; return ;;
        --version-language) mapfile -t COMPREPLY < <(compgen -W "0409/04B0 0809/04B0 0407/04B0 040C/04B0 0410/04B0 0C0A/04B0 0411/04B0" -- "$cur"); return ;;
        --version-string) mapfile -t COMPREPLY < <(compgen -S = -W "CompanyName FileDescription ProductName LegalCopyright LegalTrademarks OriginalFilename InternalName Comments" -- "$cur"); compopt -o nospace 2>/dev/null; return ;;
        --execution-level) mapfile -t COMPREPLY < <(compgen -W "asInvoker highestAvailable requireAdministrator" -- "$cur"); return ;;
        --codepage) mapfile -t COMPREPLY < <(compgen -W "1252 1250 1251 1253 1254 1255 1256 1257 1258 874 932 936 949 950" -- "$cur"); return ;;
        --sbom)
            # create writes one and verify reads one; list --sbom takes no value.
            if [ "${COMP_WORDS[1]}" != list ]; then
                mapfile -t COMPREPLY < <(compgen -f -X '!*.json' -- "$cur"); compopt -o plusdirs 2>/dev/null; return
            fi ;;
        --store|--file-version|--product-version) return ;;
    esac
    if [[ $cur == -* ]]; then
        local options brand="--icon --file-version --product-version --version-string --version-language --execution-level --manifest"
        case ${COMP_WORDS[1]} in
            create) options="-o --output --stub --stub64 --setup --project --support --member --store --level -j --jobs --no-check --codepage --sbom -q --quiet --help $brand" ;;
            list) options="--json --sbom --codepage --help" ;;
            verify) options="-q --quiet --codepage --sbom --help" ;;
            extract) options="-d --directory -q --quiet --codepage --help" ;;
            restub) options="-o --output --stub --stub64 -q --quiet --help $brand" ;;
        esac
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -o filenames -F _sfxpack sfxpack
