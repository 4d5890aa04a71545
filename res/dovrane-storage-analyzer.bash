# bash completion for dovrane-storage-analyzer: options, report kinds, view names, formats,
# and folders for DEVICE_ROOT.

_dovrane_storage_analyzer() {
    local cur prev words cword
    _init_completion -s || return

    case $prev in
        --report)
            COMPREPLY=($(compgen -W 'databases duplicates files folders growth identical largest overview type-files types' \
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
        --by)
            COMPREPLY=($(compgen -W 'type folder' -- "$cur"))
            return
            ;;
        --since)
            COMPREPLY=($(compgen -W 'last 1d 7d 30d' -- "$cur"))
            _filedir
            return
            ;;
        --export | --import)
            _filedir
            return
            ;;
        --path | --type | --slices | --pace-ms | --threads | --size | --scale | --dialog | --history-limit)
            return
            ;;
    esac

    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--report --path --type --slices --format --pace-ms --network
            --object-store --export --import --threads --screenshot --view --dialog --size --scale --timing --since --by --snapshot --list-history --history-limit
            --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    _filedir -d
} &&
    complete -F _dovrane_storage_analyzer dovrane-storage-analyzer
