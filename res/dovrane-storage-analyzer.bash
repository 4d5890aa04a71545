# bash completion for dovrane-storage-analyzer: options, report kinds, view names, formats,
# and folders for DEVICE_ROOT.

_dovrane_storage_analyzer() {
    local cur prev words cword
    _init_completion -s || return

    case $prev in
        --report)
            COMPREPLY=($(compgen -W 'databases duplicates files folders identical largest overview type-files types' \
                -- "$cur"))
            return
            ;;
        --view)
            COMPREPLY=($(compgen -W 'overview explorer folder filetype' -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'text json' -- "$cur"))
            return
            ;;
        --screenshot)
            _filedir png
            return
            ;;
        --object-store)
            _filedir -d
            return
            ;;
        --export | --import)
            _filedir
            return
            ;;
        --path | --type | --slices | --pace-ms | --threads | --size | --scale | --dialog)
            return
            ;;
    esac

    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--report --path --type --slices --format --pace-ms --network
            --object-store --export --import --threads --screenshot --view --dialog --size --scale --timing --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    _filedir -d
} &&
    complete -F _dovrane_storage_analyzer dovrane-storage-analyzer
